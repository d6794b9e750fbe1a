#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for the given number of seconds, several at once, seeded with the
# fixture pages and the small seeds of fuzz/seeds/<target>. Prints per target
#   <target> exec_per_s: N /s
#   <target> total_execs: N execs
# and exits non-zero on a finding, after the tail of that target's log.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default 30 seconds, every target)
# TW_FUZZ_JOBS: targets run at once (default: the number of processors).
# Needs clang and libclang-rt-14-dev (libFuzzer's runtime).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_FUZZ_BUILD_DIR:-$here/build-fuzz}
all=(fuzz_newslist fuzz_tdnetlist fuzz_board fuzz_feed fuzz_text fuzz_html fuzz_encoding fuzz_dayfile
    fuzz_ini fuzz_math fuzz_opml)

seconds=30
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all[@]}")
for target in "${targets[@]}"; do
    [[ " ${all[*]} " == *" $target "* ]] || { echo "unknown target: $target" >&2; exit 2; }
done
jobs=${TW_FUZZ_JOBS:-$(nproc)}

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTW_CORE_ONLY=ON -DTW_FUZZ=ON -DTW_SANITIZE=ON -DTW_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

pages=$here/tests/data/parsers
# Longest input per target: a few KB for text and expressions, 1 MiB for pages and files.
max_len() {
    case $1 in
        fuzz_text | fuzz_math) echo 4096 ;;
        fuzz_opml) echo 65536 ;;
        fuzz_ini) echo 16384 ;;
        fuzz_feed) echo 65536 ;;
        *) echo 1048576 ;;
    esac
}
seeds() {
    case $1 in
        fuzz_newslist) ls "$pages"/portal_*.html ;;
        fuzz_tdnetlist) ls "$pages"/tdnet_*.html ;;
        fuzz_encoding) ls "$pages"/*.html ;;
        fuzz_html) ls "$pages"/*.html | grep -v _large ;;
    esac
    if [[ -d $here/fuzz/seeds/$1 ]]; then
        ls -d "$here/fuzz/seeds/$1"/*
    fi
}

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
run() {
    local target=$1 corpus=$build/fuzz-corpus/$1
    mkdir -p "$corpus"
    seeds "$target" | while read -r seed; do cp -n "$seed" "$corpus"/; done
    rm -f "$build/$target.rc"
    local rc=0
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -max_len="$(max_len "$target")" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" >"$build/$target.log" 2>&1 || rc=$?
    echo "$rc" >"$build/$target.rc"
}

# Up to $jobs at once; each target's result is read from its files once all have ended.
for target in "${targets[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
        wait -n || true
    done
    echo "== $target for ${seconds}s"
    run "$target" &
done
wait

status=0
for target in "${targets[@]}"; do
    log=$build/$target.log
    if [[ $(cat "$build/$target.rc" 2>/dev/null) == 0 ]]; then
        execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "$target exec_per_s: ${rate:-0} /s"
        echo "$target total_execs: ${execs:-0} execs"
    else
        echo "== $target: finding, log $log" >&2
        tail -n 60 "$log" >&2
        ls -t "$artifacts"/"$target"-* 2>/dev/null | head -n 1 >&2 || true
        status=1
    fi
done
exit $status
