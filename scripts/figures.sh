#!/usr/bin/env bash
# Whole-program figures under a virtual display, printed as "name: value unit":
#   startup_to_window_10k   start of the process until its main window is mapped, 10k headlines
#   idle_cpu_60s            CPU used by the main process over 60 s of idling (patrol off)
#   rss_10k                 resident memory of the main process with 10k headlines
# Usage: scripts/figures.sh [idle-seconds]   (needs a built tree: scripts/dev.sh test or run)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}
idle=${1:-60}
export TZ=${TZ:-Asia/Tokyo}

need=()
command -v xdotool >/dev/null || need+=(xdotool)
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
if [ ${#need[@]} -gt 0 ]; then
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${need[@]}" >/dev/null
fi
[ -n "${TW_FIGURES_INNER:-}" ] || cmake --build "$build" --target tickerwisp -j "$(nproc)" >/dev/null

if [ -z "${TW_FIGURES_INNER:-}" ]; then
    TW_FIGURES_INNER=1 exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$@"
fi

data=$(mktemp -d "${TMPDIR:-/tmp}/tickerwisp-figures.XXXXXX")
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$data"' EXIT
mkdir -p "$data/Tickerwisp/Data"
python3 "$here/scripts/make_dayfile.py" "$data/Tickerwisp/Data/$(date +%Y%m%d).DAT" 10000
# Nothing to fetch: the hosts point at a closed port, the patrol stays off.
printf '[SERVER]\r\nNEWS HOST=http://127.0.0.1:1\r\nTDNET HOST=http://127.0.0.1:2\r\n' \
    >"$data/Tickerwisp/SYSTEM.INI"

start=$(date +%s%N)
XDG_DATA_HOME=$data QTWEBENGINE_DISABLE_SANDBOX=1 "$build/src/tickerwisp" >/dev/null 2>&1 &
pid=$!
xdotool search --sync --onlyvisible --pid "$pid" >/dev/null
shown=$(date +%s%N)
echo "startup_to_window_10k: $(( (shown - start) / 1000000 )) ms"

sleep 3 # let the first paint and the start-up page settle
ticks=$(getconf CLK_TCK)
cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
sleep "$idle"
cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
awk -v a="$cpu0" -v b="$cpu1" -v t="$ticks" -v s="$idle" \
    'BEGIN { printf "idle_cpu_%ss: %.2f %%\n", s, 100 * (b - a) / t / s }'
awk '/VmRSS/ { printf "rss_10k: %.1f MB\n", $2 / 1024 }' "/proc/$pid/status"
