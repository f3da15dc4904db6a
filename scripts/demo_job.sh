#!/usr/bin/env bash
# The whole job end to end, with the programs in BIN_DIR and everything it makes in OUT_DIR:
# synthesise sixteen songs (the last a FLAC file, imported with korvane --add), build a music
# pack, install it into a sandbox game folder, check what was installed, restore the originals
# and check that the game is as it was.
# Usage: demo_job.sh BIN_DIR OUT_DIR [SECONDS_SCALE]
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
scale=${3:-1}

fail() { echo "DEMO FAILED: $*" >&2; exit 1; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
songs=$out/songs
game="$out/game/Battlefield Vietnam"
settings="$game/Mods/BfVietnam/settings"
archives="$game/Mods/BfVietnam/Archives"

t0=$(now)
echo "== Synthesising sixteen songs"
"$bin/demo_songs" "$songs" "$out/demo.velkp" "$scale"

echo "== Importing the last song, a tagged stereo FLAC, with korvane --add"
"$bin/korvane" --add "$out/demo.velkp" "$songs/song16.flac" > "$out/korvane-add.log" \
    2> "$out/korvane-add-progress.log" || fail "korvane --add (see $out/korvane-add.log)"
cat "$out/korvane-add.log"
imported="$out/demo songs/Korvane Demo - Going Home.wav"
[ -f "$imported" ] || fail "no imported song at $imported"

echo "== Building the music pack with korvane"
t1=$(now)
"$bin/korvane" --build "$out/demo.velkp" --output "$out/demo.velk" 2> "$out/korvane-progress.log" ||
    fail "korvane --build (see $out/korvane-progress.log)"
t2=$(now)
[ -s "$out/demo.velk" ] || fail "no pack at $out/demo.velk"

echo "== Making a sandbox game folder"
mkdir -p "$settings" "$archives" "$out/original-music/sounds"
printf 'game.setGameMode GPM_CQ\r\nmusic.setMusicVolume 0.8\r\nsound.setSoundVolume 0.9\r\n' \
    > "$settings/Default.con"
"$bin/demo_songs" --one "$out/original-music/sounds/theme.wav" 2
"$bin/korvane" --pack "$out/original-music" --prefix "music/US" --output "$archives/music.rfa" \
    >/dev/null || fail "korvane --pack"
mkdir -p "$out/original-copy"
cp "$settings/Default.con" "$archives/music.rfa" "$out/original-copy/"
(cd "$game" && find . -type f | sort | xargs sha256sum) > "$out/game-before.sha256"

echo "== Backing up and applying the pack with palisor"
"$bin/palisor" --game-folder "$game" --backup || fail "palisor --backup"
t3=$(now)
"$bin/palisor" --game-folder "$game" --apply "$out/demo.velk" > "$out/palisor-apply.log" \
    2> "$out/palisor-progress.log" || fail "palisor --apply (see $out/palisor-*.log)"
tail -n 1 "$out/palisor-apply.log"
t4=$(now)

echo "== Checking the installed files"
mkdir -p "$out/check/pack" "$out/check/rfa"
"$bin/palisor" --unpack "$out/demo.velk" --to "$out/check/pack" >/dev/null || fail "unpack pack"
cmp -s "$out/check/pack/velk/playlists.con" "$game/custom_music/playlists.con" ||
    fail "installed playlists.con differs from the pack's"
cmp -s "$out/check/pack/velk/US.ssc" "$game/custom_music/US.ssc" ||
    fail "installed US.ssc differs from the pack's"
printf '\r\nrun ../../../custom_music/playlists.con\r\n' |
    cat "$out/original-copy/Default.con" - | cmp -s - "$settings/Default.con" ||
    fail "patched Default.con is not the original plus the run line"
"$bin/palisor" --unpack "$archives/music.rfa" --to "$out/check/rfa" >/dev/null || fail "unpack rfa"
count=$(find "$out/check/rfa" -type f | wc -l)
[ "$count" -eq 16 ] || fail "music.rfa holds $count files, not 16"
for n in $(seq -w 1 16); do
    wav="$out/check/rfa/music/US/music$n.wav"
    [ "$(head -c 4 "$wav")" = RIFF ] || fail "music$n.wav is not a WAV file"
    # Same rate, one channel, the same number of frames: the same size as the source song.
    source="$songs/song$n.wav"
    [ "$n" = 16 ] && source=$imported
    [ "$(stat -c %s "$wav")" -eq "$(stat -c %s "$source")" ] ||
        fail "music$n.wav does not have the length of $(basename "$source")"
done

echo "== Restoring the originals"
"$bin/palisor" --game-folder "$game" --restore || fail "palisor --restore"
(cd "$game" && find . -type f -not -path './custom_music/*' | sort | xargs sha256sum) \
    > "$out/game-after.sha256"
diff <(grep -v custom_music "$out/game-before.sha256") "$out/game-after.sha256" >/dev/null ||
    fail "the game folder differs from how it started"
t5=$(now)

pack_size=$(stat -c %s "$out/demo.velk")
audio_seconds=$(awk -v s="$scale" 'BEGIN { printf "%.0f", s * 184 }')
cat <<SUMMARY

== Demo summary
Songs:            15 mono 16-bit WAV files and 1 stereo FLAC imported by korvane --add,
                  about $audio_seconds s of audio ($songs)
Project:          $out/demo.velkp
Music pack:       $out/demo.velk ($pack_size bytes)
Build (korvane):  $(elapsed "$t1" "$t2") s
Apply (palisor):  $(elapsed "$t3" "$t4") s
Whole demo:       $(elapsed "$t0" "$t5") s
Game folder:      $game (patched, checked, then restored byte for byte)
Everything the demo made is under: $out
SUMMARY
