#!/usr/bin/env bash
# Builds the Debian package build-package/korvane-palisor_VERSION_ARCH.deb: a release build
# with Debian's hardening flags, then CPack. Extra arguments go to the cmake configure step.
# Install it with: sudo apt install ./build-package/korvane-palisor_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kp_install_packages dpkg-dev

# The compiler and linker flags Debian builds its own packages with (fortify, stack
# protector, relro, bindnow).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release \
    -DKP_BUILD_TESTS=OFF -DKP_BUILD_BENCH=OFF \
    -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@" >/dev/null
cmake --build build-package -j"$(nproc)"
(cd build-package && cpack -G DEB)
