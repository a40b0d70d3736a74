#!/bin/sh
# Prints, per fuzz target, the inputs its last ctest run executed, read from the run's log.
# Usage: tests/fuzz/stats.sh [fuzz build directory, build/fuzz by default]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build/fuzz}
logs=$(ls "$build"/tests/fuzz/*/fuzz.log 2>/dev/null || true)
if [ -z "$logs" ]; then
    echo "no fuzz logs under $build/tests/fuzz; run ctest --preset fuzz first" >&2
    exit 1
fi
printf '%-22s %12s %10s %8s\n' target executions seconds exec/s
for log in $logs; do
    target=$(basename "$(dirname "$log")")
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    seconds=$(sed -n 's/^stat::total_time_in_seconds: *\([0-9]*\).*/\1/p;s/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | head -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf '%-22s %12s %10s %8s\n' "$target" "${units:-crashed}" "${seconds:--}" "${rate:--}"
done
