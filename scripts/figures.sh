#!/usr/bin/env bash
# Whole-program figures under a virtual display, printed as "name: value unit":
#   startup_to_window_10k    start of the process until its main window is mapped, 10k headlines
#   idle_cpu_60s             CPU used by the main process over 60 s of idling (patrol off, the
#                            viewer showing the version page it opens at start)
#   rss_10k_viewer_open      resident memory of the main process, 10k headlines, viewer open
#   rss_10k_viewer_closed    the same process some seconds after the viewer was closed with Q
#   rss_10k_no_browser       a second start whose external-browser setting takes the version
#                            page, so the embedded browser is never made
#   helpers_pss_viewer_open    proportional memory (shared pages split between the processes
#   helpers_pss_viewer_closed  sharing them) of the browser engine's helper processes (page
#                              renderer, zygotes): viewer open, and after it closed
# Usage: scripts/figures.sh [idle-seconds]   (needs a built tree: scripts/dev.sh test or run)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}
idle=${1:-60}
settle=${TW_FIGURES_SETTLE:-10} # seconds after a change before memory is read
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

work=$(mktemp -d "${TMPDIR:-/tmp}/tickerwisp-figures.XXXXXX")
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# A data folder with today's 10k headlines; nothing to fetch: the hosts point at a closed port,
# the patrol stays off. Extra lines go into section OPTION.
make_data() {
    local data=$1 option=${2:-}
    mkdir -p "$data/Tickerwisp/Data"
    cp "$work/day.DAT" "$data/Tickerwisp/Data/$(date +%Y%m%d).DAT"
    {
        [ -z "$option" ] || printf '[OPTION]\r\n%s\r\n' "$option"
        printf '[SERVER]\r\nNEWS HOST=http://127.0.0.1:1\r\nTDNET HOST=http://127.0.0.1:2\r\n'
    } >"$data/Tickerwisp/SYSTEM.INI"
}

start_program() {
    XDG_DATA_HOME=$1 QTWEBENGINE_DISABLE_SANDBOX=1 "$build/src/tickerwisp" >/dev/null 2>&1 &
    pid=$!
    # Polled rather than --sync: a window that goes while xdotool walks the tree ends its search.
    local _
    for _ in $(seq 1 1500); do
        xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && return 0
        sleep 0.02
    done
    echo "figures: the main window did not appear" >&2
    exit 1
}

stop_program() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}

rss() { awk -v n="$1" '/VmRSS/ { printf "%s: %.1f MB\n", n, $2 / 1024 }' "/proc/$pid/status"; }

# Every process below the main one (the engine's helpers), in kB of proportional set size: the
# helpers are forks of one image and share most of their pages.
helpers_kb() {
    local total=0 p kb
    for p in $(pgrep -P "$pid" 2>/dev/null) $(for c in $(pgrep -P "$pid" 2>/dev/null); do
        pgrep -P "$c" 2>/dev/null; done); do
        kb=$(awk '/^Pss:/ { print $2 }' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)
        total=$((total + ${kb:-0}))
    done
    echo "$total"
}

# The visible windows of the program other than the main one (whose title starts with the
# program's name).
viewer_windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        case "$(xdotool getwindowname "$w" 2>/dev/null)" in
        Tickerwisp\ -\ *) ;;
        *) echo "$w" ;;
        esac
    done
}

python3 "$here/scripts/make_dayfile.py" "$work/day.DAT" 10000

# 1. The usual start: the version page opens in the viewer.
make_data "$work/viewer"
started=$(date +%s%N)
start_program "$work/viewer"
shown=$(date +%s%N)
echo "startup_to_window_10k: $(((shown - started) / 1000000)) ms"

sleep 3 # let the first paint and the start-up page settle
ticks=$(getconf CLK_TCK)
cpu0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
sleep "$idle"
cpu1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
awk -v a="$cpu0" -v b="$cpu1" -v t="$ticks" -v s="$idle" \
    'BEGIN { printf "idle_cpu_%ss: %.2f %%\n", s, 100 * (b - a) / t / s }'

viewer=$(viewer_windows | head -n 1)
if [ -z "$viewer" ]; then
    echo "figures: the viewer did not open at start" >&2
    exit 1
fi
rss rss_10k_viewer_open
echo "helpers_pss_viewer_open: $(awk -v k="$(helpers_kb)" 'BEGIN { printf "%.1f", k / 1024 }') MB"

# Q in the viewer closes it, the way a reader does.
xdotool windowfocus --sync "$viewer" 2>/dev/null || true
xdotool key --clearmodifiers q
for _ in $(seq 1 50); do
    [ -z "$(viewer_windows)" ] && break
    sleep 0.2
done
if [ -n "$(viewer_windows)" ]; then
    echo "figures: the viewer did not close" >&2
    exit 1
fi
sleep "$settle"
rss rss_10k_viewer_closed
echo "helpers_pss_viewer_closed: $(awk -v k="$(helpers_kb)" 'BEGIN { printf "%.1f", k / 1024 }') MB"
stop_program

# 2. The browser never made: an external browser (one that does nothing) takes the version page.
make_data "$work/nobrowser" "BROWSER=/bin/true"
start_program "$work/nobrowser"
sleep "$settle"
if [ -n "$(viewer_windows)" ]; then
    echo "figures: a viewer opened although an external browser is set" >&2
    exit 1
fi
rss rss_10k_no_browser
stop_program
