#!/usr/bin/env bash
# Checks a built Debian package end to end:
#   scripts/package-check.sh build-pkg/tickerwisp_1.0.0_amd64.deb
# the file list and the Depends field, the desktop entry and the AppStream data, an install with
# apt-get, a start under a virtual display with a throwaway home folder until the main window is
# mapped, a close, and a purge that leaves none of the package's files behind.
# Installs the tools it needs with apt-get. Exits non-zero with a message on the first failure.
set -euo pipefail
export LC_ALL=C.UTF-8

fail() {
    echo "package-check: FAILED: $*" >&2
    exit 1
}
step() { echo "== $*"; }

[ $# -eq 1 ] || {
    echo "usage: $0 <tickerwisp_*.deb>" >&2
    exit 2
}
[ -f "$1" ] || fail "no such file: $1"
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Tools: desktop-file-validate, appstreamcli, xvfb-run, xdotool, and python3 for the close message.
need=()
for pair in desktop-file-validate:desktop-file-utils appstreamcli:appstream xvfb-run:xvfb \
    xauth:xauth xdotool:xdotool /usr/bin/python3:python3; do
    command -v "${pair%%:*}" >/dev/null || need+=("${pair##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
    step "installing ${need[*]}"
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d /tmp/tw-package-check.XXXXXX)
installed_here=0
cleanup() {
    local rc=$?
    if [ "$installed_here" -eq 1 ] && dpkg-query -W tickerwisp >/dev/null 2>&1; then
        echo "package-check: removing the package after the failure" >&2
        "${sudo[@]}" apt-get remove --purge -y -qq tickerwisp >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
    exit $rc
}
trap cleanup EXIT

# --- Control fields -------------------------------------------------------------------------
step "control fields"
[ "$(dpkg-deb -f "$deb" Package)" = tickerwisp ] || fail "package name is not tickerwisp"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture is not amd64"
[ -n "$(dpkg-deb -f "$deb" Version)" ] || fail "no version"
[ "$(dpkg-deb -f "$deb" Section)" = misc ] || fail "section is not misc"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Libraries (found by dpkg-shlibdeps) and what the program loads or runs (plugins, browser data,
# font, Qt's Japanese texts, xdg-open).
for dep in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6svg6 \
    libqt6multimedia6 libqt6webenginewidgets6 libqt6webenginecore6 libqt6webengine6-data \
    qt6-qpa-plugins libuchardet0 fonts-noto-cjk qt6-translations-l10n xdg-utils; do
    grep -Eq "(^|[ ,|])$dep([ ,(|]|$)" <<<"$depends" || fail "Depends lacks $dep"
done

# --- File list --------------------------------------------------------------------------------
step "file list"
contents=$(dpkg-deb -c "$deb")
sed -E 's|^\S+\s+\S+\s+\S+\s+\S+\s+\S+\s+\./|/|; s|/$||' <<<"$contents" | grep -v '^/\?$' | sort >"$work/list"
grep -v '^d' <<<"$contents" | sed -E 's|^\S+\s+\S+\s+\S+\s+\S+\s+\S+\s+\./|/|' | sort >"$work/files"
app_desktop=$(grep -E '^/usr/share/applications/[^/]+\.desktop$' "$work/list" || true)
[ "$(wc -l <<<"$app_desktop")" -eq 1 ] && [ -n "$app_desktop" ] ||
    fail "expected exactly one desktop file, got: ${app_desktop:-none}"
app_id=$(basename "$app_desktop" .desktop)
expected=(
    /usr/bin/tickerwisp
    "$app_desktop"
    "/usr/share/metainfo/$app_id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    /usr/share/tickerwisp/site
    /usr/share/tickerwisp/site/version_0100.htm
    /usr/share/tickerwisp/NewsWord
    /usr/share/doc/tickerwisp/copyright
)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
for path in "${expected[@]}"; do
    grep -Fxq "$path" "$work/list" || fail "the package lacks $path"
done
words=$(grep -c '^/usr/share/tickerwisp/NewsWord/.*\.txt$' "$work/list" || true)
[ "$words" -eq 5 ] || fail "expected 5 word lists in /usr/share/tickerwisp/NewsWord, found $words"
# Nothing of the build or the tests slips in: every file is an expected one or a bundled page or
# word list.
printf '%s\n' "${expected[@]}" >"$work/expected"
if grep -vxFf "$work/expected" "$work/files" |
    grep -v '^/usr/share/tickerwisp/\(site\|NewsWord\)/[^/]*$' >"$work/stray"; then
    fail "unexpected files in the package: $(tr '\n' ' ' <"$work/stray")"
fi
echo "$(wc -l <"$work/list") entries, app id $app_id"

# --- Desktop entry and AppStream data ---------------------------------------------------------
step "desktop entry and AppStream data"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root$app_desktop" || fail "desktop-file-validate reported errors"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate reported errors"
grep -qx "Icon=$app_id" "$work/root$app_desktop" || fail "the desktop entry's Icon is not $app_id"
wm_class=$(sed -n 's/^StartupWMClass=//p' "$work/root$app_desktop")
[ -n "$wm_class" ] || fail "the desktop entry has no StartupWMClass"
# A theme icon's pixel size must match its folder.
for size in 16 256; do
    png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    dims=$(/usr/bin/python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png")
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done

# --- Install ----------------------------------------------------------------------------------
step "install"
if dpkg-query -W -f='${Status}' tickerwisp 2>/dev/null | grep -q "installed"; then
    fail "tickerwisp is already installed here; remove it first (the check purges it at the end)"
fi
installed_here=1
"${sudo[@]}" apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get install"; }
dpkg-query -W -f='${Status}\n' tickerwisp | grep -q "install ok installed" ||
    fail "dpkg does not list tickerwisp as installed"
[ -x /usr/bin/tickerwisp ] || fail "/usr/bin/tickerwisp is missing after the install"

# --- Start, wait for the main window, close ---------------------------------------------------
step "start under Xvfb"
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
# The close message a window manager sends; there is none on Xvfb, so it is sent directly.
cat >"$work/close.py" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]
d = x.XOpenDisplay(None)
if not d:
    sys.exit("cannot open the display")
window = int(sys.argv[1])
ev = Event()
ev.client.type = 33  # ClientMessage
ev.client.window = window
ev.client.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
ev.client.format = 32
ev.client.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                         ctypes.c_void_p]
x.XSendEvent(d, window, 0, 0, ctypes.byref(ev))
x.XFlush.argtypes = [ctypes.c_void_p]
x.XFlush(d)
PY
cat >"$work/session.sh" <<'SH'
set -u
work=$1 wm_class=$2
/usr/bin/tickerwisp >"$work/program.log" 2>&1 &
pid=$!
# Poll for a mapped window of the program, bounded at 60 s; a program that ends early fails at once.
windows=
for _ in $(seq 1 120); do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its window was mapped" >"$work/session.err"; exit 1; }
    windows=$(xdotool search --onlyvisible --classname "^tickerwisp$" 2>/dev/null) && break
    sleep 0.5
done
if [ -z "$windows" ]; then
    kill "$pid" 2>/dev/null
    echo "no window of the program was mapped within 60 s" >"$work/session.err"
    exit 1
fi
# The class must be the one the desktop entry names, or the desktop cannot match them. While the
# program starts, the viewer's helper windows come and go, and a search that meets a window being
# destroyed fails on that window; so a failed search is tried again, bounded at 10 s.
classed=
for _ in $(seq 1 20); do
    classed=$(xdotool search --onlyvisible --class "^$wm_class$" 2>/dev/null) && break
    sleep 0.5
done
if [ -z "$classed" ]; then
    kill "$pid" 2>/dev/null
    echo "no window has the class $wm_class named by the desktop entry" >"$work/session.err"
    exit 1
fi
# The windows to close are read again: one may have been made since the first search.
windows=$(xdotool search --onlyvisible --classname "^tickerwisp$" 2>/dev/null) || windows=$classed
for w in $windows; do
    echo "window $w: $(xdotool getwindowname "$w" 2>/dev/null)" >>"$work/session.out"
done
kill -0 "$pid" 2>/dev/null || { echo "the program ended on its own" >"$work/session.err"; exit 1; }
for w in $windows; do
    /usr/bin/python3 "$work/close.py" "$w" || true
done
for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    echo "the program did not end within 30 s of closing its windows" >"$work/session.err"
    exit 1
fi
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || { echo "the program ended with status $rc" >"$work/session.err"; exit 1; }
exit 0
SH
if ! env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$home" XDG_DATA_HOME="$home/.local/share" \
    XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run" \
    LANG=C.UTF-8 TZ=Asia/Tokyo QT_QPA_PLATFORM=xcb \
    QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" \
    xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$work" "$wm_class"; then
    echo "--- program output" >&2
    tail -n 30 "$work/program.log" >&2 || true
    fail "start-up: $(cat "$work/session.err" 2>/dev/null || echo "the virtual display did not start")"
fi
cat "$work/session.out"
if grep -Eiq 'warn|error|cannot|could not|fail' "$work/program.log"; then
    echo "program warnings (shown, not judged):"
    grep -Ei 'warn|error|cannot|could not|fail' "$work/program.log" | head -n 10 | sed 's/^/  /'
fi
[ -f "$home/.local/share/Tickerwisp/SYSTEM.INI" ] ||
    fail "the program wrote no settings into the throwaway data folder"

# --- Purge ------------------------------------------------------------------------------------
step "remove --purge"
"${sudo[@]}" apt-get remove --purge -y -qq tickerwisp >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt-get remove --purge"; }
installed_here=0
if dpkg-query -W tickerwisp >/dev/null 2>&1; then
    fail "dpkg still knows tickerwisp: $(dpkg-query -W -f='${Status}' tickerwisp)"
fi
left=()
while read -r path; do
    case "$path" in
    /usr/share/tickerwisp* | /usr/share/doc/tickerwisp*) [ -e "$path" ] && left+=("$path") ;;
    *) [ -e "$path" ] && [ ! -d "$path" ] && left+=("$path") ;;
    esac
done <"$work/list"
[ ${#left[@]} -eq 0 ] || fail "files left after the purge: ${left[*]}"

echo "package-check: OK ($(du -k "$deb" | cut -f1) KiB, $(dpkg-deb -f "$deb" Installed-Size) KiB installed)"
