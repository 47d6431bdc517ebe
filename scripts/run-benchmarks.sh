#!/usr/bin/env bash
# Runs every benchmark binary of a build folder (a release build for figures).
#   scripts/run-benchmarks.sh <build folder> [--smoke] [benchmark options...]
# --smoke: each binary once, with tiny sizes (ZEP_BENCHMARK_SMOKE=1), as CI does.
set -euo pipefail
build="$1"
shift
options=()
if [ "${1:-}" = "--smoke" ]; then
    shift
    export ZEP_BENCHMARK_SMOKE=1
    options=(--benchmark_min_time=0.001)
fi
status=0
for binary in "$build"/tests/*Benchmark; do
    [ -x "$binary" ] || continue
    echo "== $(basename "$binary")"
    if ! "$binary" "${options[@]}" "$@"; then
        echo "benchmark failed: $binary"
        status=1
    fi
done
exit $status
