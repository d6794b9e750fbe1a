#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-pkg/ (or $TW_PKG_BUILD_DIR), then
# cpack -G DEB. Prints the path of the .deb on the last line.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TW_PKG_BUILD_DIR:-$here/build-pkg}
jobs=${TW_PKG_JOBS:-$(nproc)}

# dpkg-shlibdeps (dpkg-dev) works out the library dependencies of the binary.
if ! command -v dpkg-shlibdeps >/dev/null; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends dpkg-dev
fi

# The package holds the program only: no tests, benchmarks or fuzzers are built for it.
# TW_PKG_REUSE=1 takes the build folder as it is configured (CI packages the build it tested;
# cpack strips the debug information).
if [ "${TW_PKG_REUSE:-0}" != 1 ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BENCH=OFF -DTW_FUZZ=OFF \
        -DTW_SANITIZE=OFF -DTW_TRACE=OFF -DTW_CORE_ONLY=OFF
fi
cmake --build "$build" -j "$jobs" --target tickerwisp theme_icons

rm -f "$build"/tickerwisp_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tickerwisp_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    echo "package.sh: cpack made no .deb in $build" >&2
    exit 1
fi
echo "$deb"
