#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (sourced by the scripts).
KP_PACKAGES=(cmake g++ pkg-config libgtest-dev libbenchmark-dev libogg-dev libvorbis-dev
             libsndfile1-dev libfaad-dev libvo-aacenc-dev libsoxr-dev libebur128-dev libtag1-dev
             qt6-base-dev liblzo2-dev libcli11-dev libyaml-dev libssl-dev clang fonts-dejavu-core)

kp_install_packages() {
    local missing=()
    for package in "${KP_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get install ${missing[*]}"
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}
