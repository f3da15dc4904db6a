#!/usr/bin/env bash
# The Windows edition's checks: builds it (scripts/windows-build.sh), runs every core test suite
# under Wine through ctest, the installer (install, run, uninstall), then the whole job with the
# Windows programs under Wine, held against the Linux programs (which scripts/test.sh has built
# into build/).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
scripts/windows-build.sh
built=$SECONDS
source scripts/windows-env.sh
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine cmd /c exit >/dev/null 2>&1 || true # the server's first start, before anything is timed
# Wine now and then fails to start a process at all (a test "fails" in 0.01 s with no output);
# a second start tells that from a real failure, which fails every time.
(cd build-win && ctest --output-on-failure -j"$(nproc)" --repeat until-pass:3)
tested=$SECONDS
setups=(build-win/package/KorvanePalisor-*-setup.exe)
scripts/windows-installer-test.sh "${setups[0]}"
installer=$SECONDS

cmake --build build -j"$(nproc)" --target korvane palisor demo_songs
scripts/windows-e2e.sh build/bin build-win/bin build-win/e2e
echo "Windows edition: libraries, cross build and packages $((built - started)) s, suites under" \
    "Wine $((tested - built)) s, installer $((installer - tested)) s, end to end" \
    "$((SECONDS - installer)) s"
