#!/usr/bin/env bash
# Takes a screenshot of Tickerwisp showing headlines from the loopback feed simulator.
#   scripts/screenshot.sh out.png
# Runs under xvfb-run; installs ImageMagick when it is missing.
set -euo pipefail

out=${1:?usage: $0 out.png}
case "$out" in /*) ;; *) out=$PWD/$out ;; esac
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}
export TZ=${TZ:-Asia/Tokyo}

if ! command -v import >/dev/null; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends imagemagick
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tickerwisp feedsim -j "$(nproc)"

data=$(mktemp -d "${TMPDIR:-/tmp}/tickerwisp-shot.XXXXXX")
feedsim_pid=
cleanup() {
    [ -n "$feedsim_pid" ] && kill "$feedsim_pid" 2>/dev/null && wait "$feedsim_pid" 2>/dev/null
    rm -rf "$data"
}
trap cleanup EXIT

# A frozen clock in mid-morning, so the lists are full whatever the time of day.
"$build/tools/feedsim/feedsim" --port 0 --tdnet-port 0 --rate 6 --frozen \
    --start "$(date +%Y-%m-%d)T10:30:00" >"$data/feedsim.out" 2>"$data/feedsim.err" &
feedsim_pid=$!
for _ in $(seq 50); do
    [ "$(wc -l <"$data/feedsim.out")" -ge 2 ] && break
    sleep 0.1
done
portal=$(awk '$1 == "portal" {print $2}' "$data/feedsim.out")
tdnet=$(awk '$1 == "tdnet" {print $2}' "$data/feedsim.out")
[ -n "$portal" ] && [ -n "$tdnet" ] || { cat "$data/feedsim.err" >&2; exit 1; }

mkdir -p "$data/Tickerwisp/Data"
printf '[FORM MAIN]\r\nLEFT=300\r\nTOP=300\r\nWIDTH=13500\r\nHEIGHT=9000\r\n[OPTION]\r\nQUICK START=True\r\n[SERVER]\r\nNEWS HOST=http://%s\r\nTDNET HOST=http://%s\r\nBOARD HOST=http://%s\r\n' \
    "$portal" "$tdnet" "$portal" >"$data/Tickerwisp/SYSTEM.INI"

export XDG_DATA_HOME=$data TW_BIN=$build/src/tickerwisp TW_OUT=$out
xvfb-run -a -s "-screen 0 1024x700x24" bash -c '
    "$TW_BIN" & app=$!
    # The first patrol pass reads every list with a pause between sources: up to a few minutes.
    for _ in $(seq 600); do
        ls "$XDG_DATA_HOME"/Tickerwisp/Data/*.DAT >/dev/null 2>&1 && break
        sleep 0.5
    done
    sleep 2
    import -window root "$TW_OUT"
    kill "$app"; wait "$app" 2>/dev/null || true
'
echo "Screenshot: $out"
