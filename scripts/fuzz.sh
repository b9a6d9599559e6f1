#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its seeds in fuzz/corpus.
# A crash, a hang (an input that takes longer than the timeout), running out of memory or a
# finding of the target fails the run; the input is left in build-fuzz/findings/<target>/ and
# belongs, once the fault is fixed, in fuzz/regressions/<target>/, which the test run replays.
#
#   bash scripts/fuzz.sh [TARGET...]
#   QEM_FUZZ_SECONDS   seconds per target (default 25)
#   QEM_FUZZ_TIMEOUT   seconds one input may take (default 10, sanitizers make it ~5x slower)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${QEM_FUZZ_SECONDS:-25}
timeout=${QEM_FUZZ_TIMEOUT:-10}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEM_FUZZ=ON \
    -DQEM_WITH_QT=OFF -DQEM_WITH_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in build-fuzz/bin/fuzz_*; do targets+=("${f#build-fuzz/bin/fuzz_}"); done
fi
failed=()
summary=""
for t in "${targets[@]}"; do
    work=build-fuzz/corpus/$t
    findings=build-fuzz/findings/$t
    mkdir -p "$work" "$findings"
    dict=()
    [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
    log=build-fuzz/fuzz_$t.log
    echo "fuzz_$t: ${seconds} s"
    status=0
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "build-fuzz/bin/fuzz_$t" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
        -malloc_limit_mb=1024 -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" \
        "$work" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    units=$(ls "$work" | wc -l)
    summary+=$(printf '%-16s %4s s %9s runs %6s corpus' "$t" "$seconds" "${runs:-?}" "$units")$'\n'
    if [ "$status" -ne 0 ]; then
        failed+=("$t")
        echo "fuzz_$t FAILED (exit $status); the input is in $findings/:" >&2
        grep -E "^(fuzz_$t:|==[0-9]+==ERROR|SUMMARY|.*runtime error)" "$log" | head -n 5 >&2 || true
    fi
done
printf '%s' "$summary"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
