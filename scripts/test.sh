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
    # Exchanges with slow virtual printers wait far more than they compute: many side by side.
    # The slowest (seconds per reply, 1200 baud) take minutes each and run in one build only.
    if [ "$preset" = dev ]; then timing='timing|slow'; else timing='timing'; fi
    echo "== $preset: exchanges with slow printers"
    ctest --preset "$preset" -j 12 -L "$timing"
done

fuzz_seconds=${QUILLORY_FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" != 0 ]; then
    QUILLORY_FUZZ_NO_DEPS=1 scripts/fuzz.sh "$fuzz_seconds"
fi
