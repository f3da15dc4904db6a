#!/usr/bin/env bash
# Builds the Windows programs on Debian: the libraries from Debian's sources (cached outside the
# clone, see windows-deps.sh and windows-qt.sh), then korvane.exe and palisor.exe with their
# windows, cross-compiled with mingw-w64 into build-win/, with their tests. The programs and the
# DLLs they need are gathered in build-win/dist/, a folder that runs as it is on 64-bit Windows
# 10 and 11; the installer and the portable zip made from it in build-win/package/
# (scripts/windows-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
KP_PACKAGES=(cmake ninja-build pkg-config g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
             mingw-w64-tools wine wine64 python3)
kp_install_packages

prefix=$(scripts/windows-deps.sh)
qt=$(scripts/windows-qt.sh)
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake -DKP_WINDOWS_PREFIX="$prefix" \
    -DKP_QT_PREFIX="$qt" -DKP_BUILD_GUI=ON -DKP_BUILD_BENCH=OFF >/dev/null
cmake --build build-win -j"$(nproc)"

# The layout Qt expects beside a program: its DLLs, and the plugins in folders named by kind.
rm -rf build-win/dist
mkdir -p build-win/dist/platforms build-win/dist/styles
cp build-win/bin/korvane.exe build-win/bin/palisor.exe "$prefix"/bin/*.dll build-win/dist/
cp "$qt"/bin/Qt6Core.dll "$qt"/bin/Qt6Gui.dll "$qt"/bin/Qt6Widgets.dll build-win/dist/
cp "$qt"/plugins/platforms/qwindows.dll build-win/dist/platforms/
cp "$qt"/plugins/styles/qwindowsvistastyle.dll build-win/dist/styles/
rm -f build-win/dist/libsyn123.dll # built with mpg123, used by nothing of ours
echo "Windows programs: $(pwd)/build-win/dist"

# The installer and the portable zip, in build-win/package.
packing=$SECONDS
rm -rf build-win/package
scripts/windows-package.sh build-win/dist build-win/package \
    "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win/CMakeCache.txt)"
echo "Windows packages made in $((SECONDS - packing)) s"
