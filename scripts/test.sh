#!/usr/bin/env bash
# Installs what is needed, builds Quillory and runs every test: first the development build, then
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
# QUILLORY_TEST_PRESETS="dev" limits the run to one preset.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)
for preset in ${QUILLORY_TEST_PRESETS:-dev asan}; do
    echo "== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "== $preset: test"
    ctest --preset "$preset" -j "$jobs"
done
