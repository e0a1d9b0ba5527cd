#!/usr/bin/env bash
# Fuzzes the program's readers and decoders with libFuzzer: builds every fuzz/fuzz_<name>.cpp
# with clang, AddressSanitizer and UBSan into build-fuzz/ and runs each target in turn for
# MINUTES minutes (default 2), one process on one core, starting from its seed corpus
# fuzz/corpus/<name>/ (new inputs go to build-fuzz/corpus/<name>/). RUNS=N runs N executions per
# target instead. Fails on any crash, hang (10 s for one input), leak, memory blow-up or
# sanitizer report; the input that did it is kept in build-fuzz/artifacts/<name>/.
#
#   scripts/fuzz.sh            # every target, 2 minutes each
#   scripts/fuzz.sh 30         # 30 minutes each
#   RUNS=10000000 scripts/fuzz.sh
#   TARGETS="reply" scripts/fuzz.sh 5
#
# A new target is one file: fuzz/fuzz_<name>.cpp (LLVMFuzzerTestOneInput), with seeds in
# fuzz/corpus/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes="${1:-2}"

# clang and libFuzzer are needed here only, not for the normal build.
scripts/install-deps.sh clang libclang-rt-14-dev

export CCACHE_BASEDIR="$PWD"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQ7400_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)"

targets="${TARGETS:-$(cd fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')}"
if [ -n "${RUNS:-}" ]; then
    limit=(-runs="$RUNS")
else
    limit=(-max_total_time=$((minutes * 60)))
fi
# A smaller quarantine than AddressSanitizer's 256 MB keeps the memory use moderate on a shared
# machine; use-after-free is still found. Reports leave out where the memory was allocated, which
# makes the runs half as fast again; run the kept input again with ASAN_OPTIONS= for that.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=0}"
failed=()
for name in $targets; do
    work="build-fuzz/corpus/$name"
    artifacts="build-fuzz/artifacts/$name/"
    log="build-fuzz/fuzz-$name.log"
    mkdir -p "$work" "$artifacts"
    echo "== $name: ${RUNS:-$minutes min} ${RUNS:+executions}"
    if build-fuzz/bin/fuzz_"$name" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$name" \
        >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "   clean: $runs executions"
    else
        echo "   FAILED: see $log and $artifacts"
        tail -n 30 "$log"
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing failed: ${failed[*]}"
    exit 1
fi
echo "Fuzzing clean: $targets"
