#!/usr/bin/env bash
# Builds the list-parser fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz and runs each for the given number of seconds,
# seeded with the fixture pages. Exits non-zero on a finding.
#   scripts/fuzz.sh [SECONDS]     (default 30)
# Needs clang and libclang-rt-14-dev (libFuzzer's runtime).
set -euo pipefail

seconds=${1:-30}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_FUZZ_BUILD_DIR:-$here/build-fuzz}
targets=(fuzz_newslist fuzz_tdnetlist)

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTW_CORE_ONLY=ON -DTW_FUZZ=ON -DTW_SANITIZE=ON -DTW_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

status=0
for target in "${targets[@]}"; do
    case $target in
        fuzz_newslist) seeds=("$here"/tests/data/parsers/portal_*.html) ;;
        fuzz_tdnetlist) seeds=("$here"/tests/data/parsers/tdnet_*.html) ;;
    esac
    corpus=$build/fuzz-corpus/$target
    artifacts=$build/fuzz-artifacts
    mkdir -p "$corpus" "$artifacts"
    cp -n "${seeds[@]}" "$corpus"/
    echo "== $target for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -max_len=1048576 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" 2>"$build/$target.log"; then
        tail -n 60 "$build/$target.log"
        echo "$target: finding, see $artifacts" >&2
        status=1
    else
        grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)" \
            "$build/$target.log" || true
    fi
done
exit $status
