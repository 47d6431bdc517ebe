#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with Clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (folder build-fuzz) and runs them.
#   scripts/fuzz.sh                                 every target for 10 s (CI's smoke)
#   scripts/fuzz.sh <target> <seconds> [options]    one target for longer; further
#                                                   arguments go to libFuzzer
#   scripts/fuzz.sh all <seconds> [options]         every target for longer
# Several targets run side by side, one core each, ZEP_FUZZ_JOBS (3) at a time.
# Each run starts from the target's seeds (tests/fuzz/corpus/<target>) and keeps what
# it finds new in build-fuzz/corpus/<target>. Any finding (a crash, a sanitizer report,
# a leak, an input slower than 10 s or needing more than 512 MiB at once) fails the
# run; the input is kept as build-fuzz/findings/<target>/crash-... (or leak-,
# timeout-, oom-) and can be replayed with build-fuzz/tests/fuzz/<target>-fuzzer <file>,
# which shows the engine's reports that the runs keep out of their output.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZEP_FUZZ_BUILD:-$root/build-fuzz}"
targets=(bundle archive scene attributes compressed image variables)
smokeSeconds=10

if [ $# -ge 1 ]; then
    [ $# -ge 2 ] || { echo "usage: $0 [<target>|all <seconds> [libFuzzer options...]]" >&2; exit 2; }
    [[ " all ${targets[*]} " == *" $1 "* ]] || { echo "unknown target '$1'; targets: ${targets[*]}" >&2; exit 2; }
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEP_FUZZ=ON -DZEP_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER="${ZEP_FUZZ_CC:-clang-14}" -DCMAKE_CXX_COMPILER="${ZEP_FUZZ_CXX:-clang++-14}" >/dev/null
cmake --build "$build" -j 4 --target fuzzers

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}:print_stacktrace=1:halt_on_error=1"
if command -v llvm-symbolizer-14 >/dev/null; then
    export ASAN_SYMBOLIZER_PATH="$(command -v llvm-symbolizer-14)"
fi

# The dictionary of a target; the scene target's lists every name the class registry holds.
dictionary() {
    local target="$1" file="$root/tests/fuzz/dictionaries/$1.dict"
    if [ "$target" = scene ]; then
        file="$build/scene.dict"
        ZEP_FUZZ_DICTIONARY="$file" "$build/tests/fuzz/scene-fuzzer" >/dev/null 2>&1
        cat "$root/tests/fuzz/dictionaries/archive.dict" >>"$file"
    fi
    [ -f "$file" ] && echo "-dict=$file"
    return 0
}

run() {
    local target="$1" seconds="$2"
    shift 2
    local work="$build/corpus/$target" findings="$build/findings/$target" log="$build/logs/$target.log"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    local dict
    dict="$(dictionary "$target")"
    echo "== $target: ${seconds} s"
    # stderr of the engine (its reports of refused input) is closed; libFuzzer and the
    # sanitizers report on a copy of it.
    if ! "$build/tests/fuzz/$target-fuzzer" "$work" "$root/tests/fuzz/corpus/$target" $dict \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 -close_fd_mask=2 \
        -artifact_prefix="$findings/" -print_final_stats=1 "$@" >"$log" 2>&1; then
        grep -v -E "^#[0-9]+ +(NEW|REDUCE|pulse|RELOAD)" "$log" | tail -n 60
        echo "fuzz target $target found a fault; input in $findings" >&2
        return 1
    fi
    grep -E "^#[0-9]+.*(DONE|pulse|NEW|REDUCE)" "$log" | tail -n 1
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$log" | tr '\n' ' '
    echo
}

if [ $# -ge 2 ] && [ "$1" != all ]; then
    target="$1" seconds="$2"
    shift 2
    run "$target" "$seconds" "$@"
    exit
fi

seconds="$smokeSeconds"
if [ $# -ge 2 ]; then
    seconds="$2"
    shift 2
fi
jobs="${ZEP_FUZZ_JOBS:-3}" status=0
mkdir -p "$build/logs"
# One core each, at most $jobs at a time; each target's summary once all have ended.
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || status=1
    done
    run "$target" "$seconds" "$@" >"$build/logs/$target.summary" 2>&1 &
done
while [ "$(jobs -rp | wc -l)" -gt 0 ]; do
    wait -n || status=1
done
for target in "${targets[@]}"; do
    cat "$build/logs/$target.summary"
done
exit $status
