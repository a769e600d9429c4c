#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each fuzz target in turn for SECONDS (default 600), one after another.
#     scripts/fuzz.sh [SECONDS] [TARGET...]        (targets: the names under fuzz/corpus/)
# New corpus entries go to build/fuzz/work/<target>/corpus (not committed); the committed seeds in
# fuzz/corpus/<target> are only read. Stops with a non-zero status at the first finding, whose
# input is left in build/fuzz/work/<target>/ and named on standard error.
# QUILLORY_FUZZ_NO_DEPS=1 skips the package check (for callers that did it already).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
    exit 64
fi
shift || true

if [ -z "${QUILLORY_FUZZ_NO_DEPS:-}" ]; then
    scripts/install-deps.sh
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for folder in fuzz/corpus/*/; do
        targets+=("$(basename "$folder")")
    done
fi
for target in "${targets[@]}"; do
    if [ ! -d "fuzz/corpus/$target" ]; then
        echo "fuzz.sh: no fuzz target named '$target'" >&2
        exit 64
    fi
done

echo "== fuzz: build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${QUILLORY_FUZZ_BUILD_JOBS:-$(nproc)}"

bin=build/fuzz/bin
work=build/fuzz/work
# Fuzzing never needs the network; the search destinations stay on loopback all the same.
export QUILLORY_SEARCH_TARGETS=127.0.0.1:1
export QT_QPA_PLATFORM=offscreen
# Targets that read files write each input to a scratch file: keep those in memory when possible.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
    export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
leaks=1
# LeakSanitizer stops the process's threads through ptrace, which some containers forbid; the
# fuzzing is still worth doing there, without the leak check.
probe=$(mktemp -d)
probe_log=$(ASAN_OPTIONS=detect_leaks=1 "$bin/fuzz_debug_codecs" -runs=2 -artifact_prefix="$probe/" "$probe" 2>&1 || true)
if grep -q "LeakSanitizer has encountered a fatal error" <<<"$probe_log"; then
    echo "fuzz.sh: LeakSanitizer cannot run here; fuzzing without the leak check" >&2
    leaks=0
fi
rm -rf "$probe"
# A smaller quarantine keeps the memory of long runs flat (the default one grows past the limit).
export ASAN_OPTIONS=detect_leaks=$leaks:abort_on_error=1:quarantine_size_mb=64

for target in "${targets[@]}"; do
    mkdir -p "$work/$target/corpus"
    options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1
        -artifact_prefix="$work/$target/")
    if [ -f "fuzz/dict/$target.dict" ]; then
        options+=(-dict="fuzz/dict/$target.dict")
    fi
    echo "== fuzz: $target for ${seconds}s"
    start=$(date +%s)
    if ! "$bin/fuzz_$target" "${options[@]}" "$work/$target/corpus" "fuzz/corpus/$target" \
        >"$work/$target/log" 2>&1; then
        tail -n 60 "$work/$target/log" >&2
        echo "fuzz.sh: $target found a fault; the input is in $work/$target/ (crash-*, leak-*, timeout-*, oom-*)" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/$target/log" | tail -n 2 || true
    echo "   ran $(($(date +%s) - start))s; scratch corpus: $(find "$work/$target/corpus" -type f | wc -l) entries"
done
echo "== fuzz: ${#targets[@]} target(s) ran ${seconds}s each without a finding"
