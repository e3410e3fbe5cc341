#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for a bounded time on a copy of its committed seeds. Fails on any crash.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(command_answer link_reply firmware_image port_names trace_decode)

build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUR_FUZZ=ON \
    -DZUR_BUILD_APP=OFF -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# One target per core at a time; each keeps its own log and crash folder.
run_target() {
    local target=$1 work="$build/fuzz/run/$1"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/crashes"
    cp fuzz/corpus/"$target"/* "$work/corpus/"
    local status=0
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/crashes/" "$work/corpus" >"$work/fuzz.log" 2>&1 || status=$?
    echo "$status" >"$work/status"
}

for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do
        wait -n || true
    done
    echo "== $target: ${seconds} s"
    run_target "$target" &
done
wait

failed=()
summary=()
for target in "${targets[@]}"; do
    work="$build/fuzz/run/$target"
    log="$work/fuzz.log"
    if [ "$(cat "$work/status")" != 0 ]; then
        failed+=("$target")
        tail -n 40 "$log"
        echo "== $target: FAILED; the input is in $work/crashes/"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    # The last status line holds the coverage reached: "#N DONE cov: C ft: F ...".
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    summary+=("$(printf '%-16s executions %-10s cov %-6s ft %s' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}")")
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}"
    exit 1
fi
