#!/usr/bin/env bash
# Installs what is needed, builds Quillory and runs every test: first the development build, then
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then every fuzz target for
# a short while on its committed seeds.
# QUILLORY_TEST_PRESETS="dev" limits the run to one preset; QUILLORY_FUZZ_SECONDS sets the time
# per fuzz target (default 20; 0 leaves the fuzzing out).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)
for preset in ${QUILLORY_TEST_PRESETS:-dev asan}; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset: test"
    ctest --preset "$preset" -j "$jobs" -LE 'timing|slow'
    # Exchanges with slow virtual printers wait far more than they compute: several side by side.
    # A paced line (9600 baud, a byte a millisecond) must not be starved of the processor, or
    # its reply gaps grow past the gap that ends a reply; so the fast set runs a few at a time.
    # The slowest (seconds per reply, 1200 baud) take minutes each, mostly asleep, and run in the
    # development build only, many side by side.
    echo "== $preset: exchanges with slow printers"
    # Printers that flood their replies keep the processor busy; they run apart from the paced ones.
    # Lines paced at 9600 baud (a byte a millisecond, a 5 ms gap ends a reply) run one at a time.
    ctest --preset "$preset" -j 4 -L timing -R 'JunkReplies|SlowReader'
    ctest --preset "$preset" -j 4 -L timing -E 'JunkReplies|SlowReader|Baud9600'
    ctest --preset "$preset" -j 1 -L timing -R 'Baud9600'
    if [ "$preset" = dev ]; then
        ctest --preset "$preset" -j 12 -L slow
    fi
done

fuzz_seconds=${QUILLORY_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" != 0 ]; then
    QUILLORY_FUZZ_NO_DEPS=1 scripts/fuzz.sh "$fuzz_seconds"
fi
