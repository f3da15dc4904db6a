#!/usr/bin/env bash
# The main job end to end on a fresh machine: installs what is missing, builds the two
# programs, then makes sixteen songs, builds a music pack, installs it into a sandbox game
# folder, checks it and restores the game. Everything it makes lands in demo-output/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
kp_install_packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The compressed manual pages and changelog too, so that `cmake --install build` works after.
cmake --build build -j"$(nproc)" --target korvane palisor demo_songs compressed_package_texts

scripts/demo_job.sh build/bin demo-output
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo
    echo "Open the demo project in the window:  build/bin/korvane demo-output/demo.velkp"
fi
