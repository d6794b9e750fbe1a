#!/usr/bin/env bash
# Set-up and build helper for a fresh Debian 12 machine.
#   scripts/dev.sh test      install what is missing, build, run every test
#   scripts/dev.sh run       install what is missing, build, start the program
#   scripts/dev.sh deps      only install the Debian packages
# TW_BUILD_DIR picks another build folder; TW_CMAKE_ARGS adds CMake options (e.g. -DTW_WERROR=ON).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_BUILD_DIR:-$here/build}

packages=(
    build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev qt6-webengine-dev
    libgl-dev libuchardet-dev libicu-dev qt6-translations-l10n xdg-utils
    xvfb xauth trayer fonts-noto-cjk
    python3 python3-bs4 python3-lxml python3-feedparser
    openbox xdotool wmctrl x11-utils imagemagick dbus-daemon at-spi2-core python3-pyatspi
)

install_deps() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_build() {
    local extra=()
    read -r -a extra <<<"${TW_CMAKE_ARGS:-}"
    # Warnings stay warnings unless asked for (the cache would otherwise keep a CI run's setting).
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_WERROR=OFF \
        "${extra[@]}" "$@"
    cmake --build "$build" -j "$(nproc)"
}

case "${1:-}" in
    deps)
        install_deps
        ;;
    test)
        install_deps
        configure_build
        cd "$build" && ctest --output-on-failure -j 2
        ;;
    run)
        install_deps
        configure_build
        if [ ! -x "$build/src/tickerwisp" ]; then
            echo "build/src/tickerwisp was not built: see the build output above." >&2
            exit 1
        fi
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "No display found. Start the program on a desktop, or under a virtual display:"
            echo "  xvfb-run -a $build/src/tickerwisp"
            exit 1
        fi
        exec "$build/src/tickerwisp"
        ;;
    *)
        sed -n '2,7p' "$0"
        exit 2
        ;;
esac
