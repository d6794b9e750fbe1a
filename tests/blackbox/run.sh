#!/usr/bin/env bash
# Drives the real program from outside, as a user and a screen reader do.
#   bash tests/blackbox/run.sh [scenario...]     all scenarios when none is named
#   bash tests/blackbox/run.sh --list            the scenario names
#   bash tests/blackbox/run.sh --shard K/N       the K-th of N parts of the suite, for N runs at once
#   bash tests/blackbox/run.sh --exec CMD...     run CMD inside the same desktop (for poking around)
# Environment: TW_BUILD_DIR (default build/; or TW_BIN and TW_FEEDSIM, the two programs),
# TW_BLACKBOX_RESULTS (where failing scenarios leave their screenshot, logs and accessibility
# dump; default build/blackbox-results), TW_BLACKBOX_SLOW (multiplies every wait, default 1),
# TW_BLACKBOX_VERBOSE=1 (what the checks saw).
# Starts its own virtual screen, window manager, tray, session bus and accessibility bus, so it
# needs no display of its own; exits 77 (a skip for CTest) when a tool it needs is missing.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${TW_BUILD_DIR:-$root/build}
results=${TW_BLACKBOX_RESULTS:-$build/blackbox-results}
bin=${TW_BIN:-$build/src/tickerwisp}
feedsim=${TW_FEEDSIM:-$build/tools/feedsim/feedsim}

missing=()
for tool in Xvfb openbox trayer xdotool wmctrl xprop xwininfo import dbus-daemon; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi-bus-launcher)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
for program in "$bin" "$feedsim"; do
    [ -x "$program" ] || missing+=("$program (build it first)")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "blackbox: missing ${missing[*]}; 'bash scripts/dev.sh deps' installs the packages" >&2
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-blackbox.XXXXXX")
pids=()
dbus_pid=
driver_pid=
cleanup() {
    local p
    # The driver first: it ends the programs and servers it started.
    if [ -n "$driver_pid" ]; then
        kill "$driver_pid" 2>/dev/null || true
        wait "$driver_pid" 2>/dev/null || true
    fi
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill "$p" 2>/dev/null || true
    done
    [ -n "$dbus_pid" ] && kill "$dbus_pid" 2>/dev/null
    for p in "${pids[@]}"; do
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() { # seconds, description, command...
    local limit=$1 what=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $end ]; then
            echo "blackbox: $what did not come up within ${limit}s" >&2
            return 1
        fi
        sleep 0.2
    done
}

# A display number of its own: Xvfb picks a free one and tells it through fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 30 "Xvfb" test -s "$work/display"
export DISPLAY=":$(head -n 1 "$work/display")"

# The program's own environment: nothing from the caller's desktop.
export TZ=Asia/Tokyo LC_ALL=C.UTF-8 LANG=C.UTF-8
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE SESSION_MANAGER XDG_CURRENT_DESKTOP
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export NO_AT_BRIDGE=0 GTK_MODULES=
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export HOME="$work/home"
mkdir -p "$HOME"

dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/dbus"
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/dbus")
dbus_pid=$(sed -n 2p "$work/dbus")
export DBUS_SESSION_BUS_ADDRESS

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 30 "openbox" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

trayer --SetDockType true --edge bottom --align right --widthtype request --height 24 \
    --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for 30 "trayer" xdotool search --classname trayer

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
wait_for 30 "the accessibility bus" xprop -root AT_SPI_BUS

export TW_BIN="$bin" TW_FEEDSIM="$feedsim"
export TW_ROOT="$root" TW_RESULTS="$results" TW_WORK="$work"
# The source tree stays as it was checked out.
export PYTHONDONTWRITEBYTECODE=1

if [ "${1:-}" = "--exec" ]; then
    shift
    "$@"
    exit $?
fi
# In the background, so that a TERM (CTest's time-out) reaches the trap at once.
status=0
/usr/bin/python3 "$here/driver.py" "$@" &
driver_pid=$!
wait "$driver_pid" || status=$?
driver_pid=
exit $status
