# Sourced: sets up Wine to run the Windows build's programs and tests.
#   . scripts/windows-env.sh [PREFIX]     (PREFIX defaults to scripts/windows-deps.sh --print-prefix)
# The Wine prefix is our own, created on first use (that takes a while once).
# Sourced from a script, $1 is that script's own first argument unless one is given here: only
# a folder is taken for the prefix.
kp_libraries=${1:-}
[ -d "$kp_libraries" ] ||
    kp_libraries=${KP_WINDOWS_PREFIX:-$("$(dirname "${BASH_SOURCE[0]}")/windows-deps.sh" --print-prefix)}
export KP_WINDOWS_PREFIX=$kp_libraries
export WINEDEBUG=-all
export WINEPREFIX=${KP_WINEPREFIX:-${KP_WINDOWS_CACHE:-/var/cache/korvane-windows}/wine}
# Qt for Windows, once scripts/windows-qt.sh has built it.
if [ -z "${KP_QT_PREFIX:-}" ]; then
    KP_QT_PREFIX=$("$(dirname "${BASH_SOURCE[0]}")/windows-qt.sh" --print-prefix) || KP_QT_PREFIX=
fi
export KP_QT_PREFIX
# Wine maps / to Z:; the DLLs are found through PATH, which WINEPATH extends. Qt finds its
# plugins beside its DLLs.
export WINEPATH="Z:${kp_libraries//\//\\}\\bin"
[ -z "$KP_QT_PREFIX" ] || WINEPATH="$WINEPATH;Z:${KP_QT_PREFIX//\//\\}\\bin"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # No Mono or Gecko: nothing of ours needs them, and their installers would ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    # The registry reaches the disk when that server ends.
    wineserver -w
fi
# Wine's own Tahoma as the dialog font, as on Windows (else Qt falls back to a serif face).
for kp_font in tahoma.ttf tahomabd.ttf; do
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/$kp_font" ] ||
        cp "/usr/share/wine/fonts/$kp_font" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
done
unset kp_font
# A persistent server keeps each test's start short. It must not hold the caller's output open,
# or ctest waits for it forever.
wineserver -p </dev/null >/dev/null 2>&1 &
unset kp_libraries
