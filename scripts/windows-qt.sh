#!/usr/bin/env bash
# Builds Qt 6 for the Windows windows from Debian's own qt6-base source package (the version the
# host's Qt has), cross-compiled with mingw-w64, into the same cache folder as the other Windows
# libraries but under a key of its own, so that neither build invalidates the other. moc, rcc and
# uic come from the host's Qt.
#
#   scripts/windows-qt.sh                 build when missing; the prefix is the last line of stdout
#   scripts/windows-qt.sh --print-prefix  print the prefix (exit 1 when it is not built yet)
#
# Shared: the DLLs are what the LGPL lets a user replace, and one copy serves both programs.
# Only Core, Gui, Widgets and Test with the windows and offscreen platforms and the Windows styles
# are needed; everything else that can be is off, which roughly halves the build.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
cache=${KP_WINDOWS_CACHE:-/var/cache/korvane-windows}
jobs=${KP_JOBS:-$(nproc)}
HOST_PACKAGES=(qt6-base-dev qt6-base-dev-tools cmake ninja-build dpkg-dev xz-utils
               g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

say() { echo "$*" >&2; }
fail() { say "windows-qt: $*"; exit 1; }

missing_host_packages() {
    local package
    for package in "${HOST_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

# The .dsc name and checksum from the signed source index (windows-deps.sh adds deb-src).
qt_index() {
    apt-get source --print-uris --only-source -qq qt6-base 2>/dev/null |
        awk '$2 ~ /^qt6-base_.*\.dsc$/ { print $2, $4 }' | grep .
}

configure_options() {
    local option
    echo -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    echo -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKP_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix"
    echo -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    echo -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    echo -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DINPUT_opengl=no
    # The Debian tarball has no wintab, so no tablet events; qwindows.dll does not link with
    # directwrite3 and without direct2d.
    for option in sql network dbus opengl vulkan printsupport concurrent direct2d directwrite3 \
                  tabletevent icu zstd; do
        echo "-DFEATURE_$option=OFF"
    done
    for option in zlib pcre2 png jpeg harfbuzz freetype doubleconversion textmarkdownreader; do
        echo "-DFEATURE_system_$option=OFF"
    done
    if command -v ccache >/dev/null; then
        echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    fi
}

build_qt() {
    local source=$work/qt6-base build=$work/build
    ( cd "$work" && apt-get source --only-source -qq qt6-base ) >>"$log" 2>&1 ||
        fail "could not fetch qt6-base (see $log)"
    mv "$work"/qt6-base-*/ "$source"
    # shellcheck disable=SC2046 # one option per word
    cmake -S "$source" -B "$build" $(configure_options) >>"$log" 2>&1 || fail "configure failed (see $log)"
    say "  configured in $(($(date +%s) - started)) s"
    cmake --build "$build" -j"$jobs" >>"$log" 2>&1 || { tail -n 30 "$log" >&2; fail "build failed (see $log)"; }
    cmake --install "$build" >>"$log" 2>&1 || fail "install failed (see $log)"
}

print_prefix_only=0
case ${1:-} in
    --print-prefix) print_prefix_only=1 ;;
    "") ;;
    *) fail "unknown option $1 (use --print-prefix or nothing)" ;;
esac

if [ $print_prefix_only -eq 0 ]; then
    # The deb-src entry and the cross compilers.
    "$repo/scripts/windows-deps.sh" >/dev/null
    missing=$(missing_host_packages)
    if [ -n "$missing" ]; then
        [ "$(id -u)" -eq 0 ] || fail "run as root once: $missing are missing"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
    fi
fi
index=$(qt_index) || fail "no Debian source index for qt6-base; run scripts/windows-deps.sh once as root"
key=$( { echo "$index"; sha256sum <"${BASH_SOURCE[0]}"; sha256sum <"$toolchain"; } | sha256sum | cut -c1-16)
prefix=$cache/qt-$key
stamp=$prefix/.complete

if [ $print_prefix_only -eq 1 ]; then
    echo "$prefix"
    [ -f "$stamp" ]
    exit
fi

mkdir -p "$cache"
exec 9>"$cache/.qt-lock"
flock 9
if [ -f "$stamp" ]; then
    say "Qt for Windows: reusing $prefix"
    echo "$prefix"
    exit 0
fi

say "Qt for Windows: building ${index%% *} into $prefix (about half an hour on two cores)"
work=$cache/work-qt-$key
log=$prefix/logs/qt6-base.log
rm -rf "$prefix" "$work"
mkdir -p "$prefix/logs" "$work"
started=$(date +%s)
build_qt
rm -rf "$work" "$prefix/doc"
echo "$index" >"$prefix/sources.txt"
say "Qt for Windows built in $(($(date +%s) - started)) s, $(du -sh "$prefix" | cut -f1)"
touch "$stamp"
echo "$prefix"
