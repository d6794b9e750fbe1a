#!/usr/bin/env bash
# Every benchmark of bench/ and the whole-program figures, one "name: value unit" line each.
#   scripts/bench.sh [idle-seconds]     (default 60; the figures need Xvfb, installed on demand)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}
export TZ=${TZ:-Asia/Tokyo}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
for b in "$build"/bench/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
echo "== whole program"
TW_BUILD_DIR=$build bash "$here/scripts/figures.sh" "${1:-60}"
