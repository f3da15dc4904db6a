# Sourced: sets up Wine to run the Windows build's programs and tests.
#   . scripts/windows-env.sh [PREFIX]     (PREFIX defaults to scripts/windows-deps.sh --print-prefix)
# The Wine prefix is our own, created on first use (that takes a while once).
kp_libraries=${1:-${KP_WINDOWS_PREFIX:-$("$(dirname "${BASH_SOURCE[0]}")/windows-deps.sh" --print-prefix)}}
export KP_WINDOWS_PREFIX=$kp_libraries
export WINEDEBUG=-all
export WINEPREFIX=${KP_WINEPREFIX:-${KP_WINDOWS_CACHE:-/var/cache/korvane-windows}/wine}
# Wine maps / to Z:; the DLLs are found through PATH, which WINEPATH extends.
export WINEPATH="Z:${kp_libraries//\//\\}\\bin"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing of ours needs them, and their installers would ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    # The registry reaches the disk when that server ends.
    wineserver -w
fi
# A persistent server keeps each test's start short. It must not hold the caller's output open,
# or ctest waits for it forever.
wineserver -p </dev/null >/dev/null 2>&1 &
unset kp_libraries
