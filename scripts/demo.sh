#!/usr/bin/env bash
# Runs Tickerwisp against the loopback feed simulator: no internet needed.
#   scripts/demo.sh              build, start feedsim and the program; feedsim stops with it
# Environment: TW_BUILD_DIR (default build/), FEEDSIM_ARGS (extra feedsim options, e.g. "--rate 12").
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}
export TZ=${TZ:-Asia/Tokyo}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tickerwisp feedsim -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found. Run the demo on a desktop, or under a virtual display:"
    echo "  xvfb-run -a $0"
    exit 1
fi

data=$(mktemp -d "${TMPDIR:-/tmp}/tickerwisp-demo.XXXXXX")
feedsim_pid=
cleanup() {
    [ -n "$feedsim_pid" ] && kill "$feedsim_pid" 2>/dev/null && wait "$feedsim_pid" 2>/dev/null
    rm -rf "$data"
}
trap cleanup EXIT

# shellcheck disable=SC2086
"$build/tools/feedsim/feedsim" --port 0 --tdnet-port 0 --rate 6 ${FEEDSIM_ARGS:-} \
    >"$data/feedsim.out" 2>"$data/feedsim.err" &
feedsim_pid=$!
for _ in $(seq 50); do
    [ "$(wc -l <"$data/feedsim.out")" -ge 2 ] && break
    sleep 0.1
done
portal=$(awk '$1 == "portal" {print $2}' "$data/feedsim.out")
tdnet=$(awk '$1 == "tdnet" {print $2}' "$data/feedsim.out")
if [ -z "$portal" ] || [ -z "$tdnet" ]; then
    echo "feedsim did not start:" >&2
    cat "$data/feedsim.err" >&2
    exit 1
fi

mkdir -p "$data/Tickerwisp/Data"
printf '[OPTION]\r\nQUICK START=True\r\n[SERVER]\r\nNEWS HOST=http://%s\r\nTDNET HOST=http://%s\r\nBOARD HOST=http://%s\r\n[FEEDS]\r\nNAME 0=デモ RSS\r\nURL 0=http://%s/feeds/rss2/reu.xml\r\nENABLED 0=True\r\nNAME 1=デモ Atom\r\nURL 1=http://%s/feeds/atom/jijf.xml?enc=sjis\r\nENABLED 1=True\r\n' \
    "$portal" "$tdnet" "$portal" "$portal" "$portal" >"$data/Tickerwisp/SYSTEM.INI"

echo "feedsim: portal $portal, disclosures $tdnet; data folder $data/Tickerwisp"
echo "The patrol starts at once; the first pass takes about two minutes."
XDG_DATA_HOME=$data "$build/src/tickerwisp"
