#!/usr/bin/env bash
# The whole job with the Windows programs under Wine, held against the Linux programs:
# korvane.exe --add and --build on songs in a folder with non-ASCII characters, palisor.exe
# --backup, --apply and --restore on a sandbox game whose path holds spaces and "é", then
# each system's pack installed by the other system's Palisor.
# Usage: windows-e2e.sh LINUX_BIN WINDOWS_BIN OUT_DIR   (after sourcing scripts/windows-env.sh)
set -euo pipefail
export LC_ALL=C.UTF-8 # Wine turns the arguments into UTF-16 by the locale
linux=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
out=$3

fail() { echo "WINDOWS END TO END FAILED: $*" >&2; exit 1; }
# A Unix path as the Windows programs see it: Wine maps / to drive Z:.
win() { local path; path=$(realpath -m "$1"); printf 'Z:%s' "${path//\//\\}"; }
korvane_exe() { wine "$windows/korvane.exe" "$@"; }
palisor_exe() { wine "$windows/palisor.exe" "$@"; }

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
songs="$out/Musique Zoë/Café"

echo "== Songs in $songs"
"$linux/demo_songs" "$songs" "$out/unused.velkp" 0.5 >/dev/null
mv "$songs/song03.wav" "$songs/Café Saïgon.wav"
list=()
for n in $(seq -w 1 16); do
    case $n in 03) list+=("$songs/Café Saïgon.wav") ;; 16) list+=("$songs/song16.flac") ;;
        *) list+=("$songs/song$n.wav") ;; esac
done
win_list=()
for song in "${list[@]}"; do win_list+=("$(win "$song")"); done

echo "== korvane.exe --add and --build"
korvane_exe --add "$(win "$out/windows.velkp")" "${win_list[@]}" >"$out/windows-add.log" 2>/dev/null ||
    { cat "$out/windows-add.log"; fail "korvane.exe --add"; }
korvane_exe --build "$(win "$out/windows.velkp")" --output "$(win "$out/windows.velk")" \
    >"$out/windows-build.log" 2>/dev/null || { cat "$out/windows-build.log"; fail "korvane.exe --build"; }
"$linux/korvane" --add "$out/linux.velkp" "${list[@]}" >"$out/linux-add.log" 2>/dev/null ||
    fail "korvane --add"
"$linux/korvane" --build "$out/linux.velkp" --output "$out/linux.velk" >/dev/null 2>&1 ||
    fail "korvane --build"
grep -q "Café Saïgon" "$out/windows-add.log" || fail "the Windows import does not name the song with é"

echo "== Both packs hold the same scripts and songs of the same length"
for system in windows linux; do
    "$linux/palisor" --unpack "$out/$system.velk" --to "$out/$system-pack" >/dev/null ||
        fail "unpack the $system pack"
done
for script in playlists.con US.ssc; do
    cmp "$out/windows-pack/velk/$script" "$out/linux-pack/velk/$script" ||
        fail "$script differs between the Windows and the Linux pack"
done
# Serial numbers are drawn per build; the pages' serials and checksums aside, are the bytes the same?
python3 - "$out/windows-pack/velk" "$out/linux-pack/velk" <<'PY'
import sys
def pages_without_serials(path):
    data, out, at = bytearray(open(path, "rb").read()), bytearray(), 0
    while at + 27 <= len(data) and data[at:at + 4] == b"OggS":
        size = 27 + data[at + 26] + sum(data[at + 27:at + 27 + data[at + 26]])
        page = data[at:at + size]
        page[14:18] = page[22:26] = b"\0\0\0\0"
        out += page
        at += size
    return bytes(out)
same = sum(pages_without_serials(f"{sys.argv[1]}/music{n:02d}.ogg") ==
           pages_without_serials(f"{sys.argv[2]}/music{n:02d}.ogg") for n in range(1, 17))
print(f"Ogg songs identical but for their serial numbers: {same} of 16")
PY
make_game() {
    local game=$1
    mkdir -p "$game/Mods/BfVietnam/settings" "$game/Mods/BfVietnam/Archives" "$out/original/sounds"
    printf 'game.setGameMode GPM_CQ\r\nmusic.setMusicVolume 0.8\r\n' \
        >"$game/Mods/BfVietnam/settings/Default.con"
    [ -f "$out/original/sounds/theme.wav" ] ||
        "$linux/demo_songs" --one "$out/original/sounds/theme.wav" 2
    "$linux/korvane" --pack "$out/original" --prefix music/US \
        --output "$game/Mods/BfVietnam/Archives/music.rfa" >/dev/null
}
# Same lengths and formats; no sample further apart than MOST, and the difference at least
# BELOW dB under the song's own level. Prints the worst of both.
compare_songs() {
    python3 - "$@" <<'PY'
import array, math, sys, wave
first, second, most, below, what = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
worst, closest = 0, -200.0
for n in range(1, 17):
    a, b = (wave.open(f"{folder}/music{n:02d}.wav") for folder in (first, second))
    if a.getparams() != b.getparams():
        sys.exit(f"music{n:02d}.wav: different lengths or formats")
    x, y = (array.array("h", w.readframes(w.getnframes())) for w in (a, b))
    worst = max([worst] + [abs(p - q) for p, q in zip(x, y)])
    noise, signal = sum((p - q) ** 2 for p, q in zip(x, y)), sum(p * p for p in x)
    if noise:
        closest = max(closest, 10 * math.log10(noise / max(signal, 1)))
print(f"Windows against Linux, {what}: same lengths; largest sample difference {worst} of 32767,"
      f" difference at most {closest:.1f} dB under the song")
sys.exit(0 if worst <= most and closest <= -below else 1)
PY
}
checksums() { (cd "$1" && find . -type f -not -path './custom_music/*' | sort | xargs -d '\n' sha256sum); }

echo "== palisor.exe --backup, --apply and --restore"
game="$out/Program Files/EA GAMES/Battlefield Vietnam é"
make_game "$game"
before=$(checksums "$game")
palisor_exe --game-folder "$(win "$game")" --backup >"$out/windows-backup.log" 2>/dev/null ||
    { cat "$out/windows-backup.log"; fail "palisor.exe --backup"; }
palisor_exe --game-folder "$(win "$game")" --apply "$(win "$out/windows.velk")" \
    >"$out/windows-apply.log" 2>/dev/null || { cat "$out/windows-apply.log"; fail "palisor.exe --apply"; }
cmp "$out/windows-pack/velk/playlists.con" "$game/custom_music/playlists.con" ||
    fail "the installed playlists.con is not the pack's"
printf 'game.setGameMode GPM_CQ\r\nmusic.setMusicVolume 0.8\r\n\r\nrun ../../../custom_music/playlists.con\r\n' |
    cmp - "$game/Mods/BfVietnam/settings/Default.con" || fail "the patched Default.con differs"
"$linux/palisor" --unpack "$game/Mods/BfVietnam/Archives/music.rfa" --to "$out/windows-rfa" >/dev/null ||
    fail "unpack the installed music.rfa"

echo "== The Linux Palisor installs the same pack the same way"
linux_game="$out/linux game"
make_game "$linux_game"
"$linux/palisor" --game-folder "$linux_game" --backup >/dev/null || fail "palisor --backup"
"$linux/palisor" --game-folder "$linux_game" --apply "$out/windows.velk" >/dev/null ||
    fail "palisor --apply of the Windows pack"
"$linux/palisor" --unpack "$linux_game/Mods/BfVietnam/Archives/music.rfa" --to "$out/linux-decoded" \
    >/dev/null || fail "unpack music.rfa"
compare_songs "$out/windows-rfa/music/US" "$out/linux-decoded/music/US" 1 80 "decoding one pack" ||
    fail "the two systems decode the same pack differently"
cmp "$game/Mods/BfVietnam/settings/Default.con" "$linux_game/Mods/BfVietnam/settings/Default.con" ||
    fail "the two systems patch Default.con differently"

echo "== palisor.exe installs the Linux pack"
palisor_exe --game-folder "$(win "$game")" --apply "$(win "$out/linux.velk")" >/dev/null 2>&1 ||
    fail "palisor.exe --apply of the Linux pack"
"$linux/palisor" --unpack "$game/Mods/BfVietnam/Archives/music.rfa" --to "$out/linux-rfa" >/dev/null ||
    fail "unpack music.rfa"
compare_songs "$out/windows-rfa/music/US" "$out/linux-rfa/music/US" 32767 40 "encoding the same songs" ||
    fail "the songs encoded on the two systems decode too differently"

echo "== The registry's GAMEDIR, in the 32-bit and the 64-bit view"
key='HKLM\Software\EA GAMES\Battlefield Vietnam'
for view in 64 32; do
    wine reg add "$key" /v GAMEDIR /d "$(win "$game")" /f /reg:$view >/dev/null 2>&1
    palisor_exe --find-games >"$out/find-games-$view.log" 2>/dev/null || fail "--find-games ($view-bit)"
    grep -q "Battlefield Vietnam é.registry" "$out/find-games-$view.log" ||
        fail "--find-games does not list the $view-bit registry's folder"
    [ $view = 32 ] || wine reg delete "$key" /f /reg:$view >/dev/null 2>&1
done

echo "== palisor.exe --restore, the game folder from the registry"
palisor_exe --restore >"$out/windows-restore.log" 2>/dev/null ||
    { cat "$out/windows-restore.log"; fail "palisor.exe --restore"; }
wine reg delete "$key" /f /reg:32 >/dev/null 2>&1
[ "$(checksums "$game")" = "$before" ] || fail "the game folder differs from how it started"
echo "Windows end to end: built, installed and restored under Wine; scripts byte for byte and songs"
echo "within the measured tolerance of the Linux programs' results"
