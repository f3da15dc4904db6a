#!/usr/bin/env bash
# Checks the bash completion of both programs: options, and file names filtered by extension.
# Usage: packaging/check-completion.sh [COMPLETIONS_FOLDER]   (default: packaging/completion)
set -o pipefail
folder=${1:-$(dirname "$0")/completion}
source /usr/share/bash-completion/bash_completion
source "$folder/korvane"
source "$folder/palisor"

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
cd "$sandbox" || exit 1
mkdir games
touch songs.velkp 'my pack.velk' music.rfa a.mp3 b.FLAC c.m4a notes.txt

failures=0
# expect "COMMAND LINE" "EXPECTED COMPLETIONS": completes the last word of the line.
expect() {
    local line=$1 expected=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    "_${COMP_WORDS[0]}" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" \
        "${COMP_WORDS[COMP_CWORD - 1]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    if [[ "${got% }" != "$expected" ]]; then
        echo "completion of '$line': expected '$expected', got '${got% }'"
        failures=$((failures + 1))
    fi
}

expect 'korvane --bu' '--build'
expect 'korvane --build ' 'games songs.velkp'
expect 'korvane --build songs.velkp --' '--jobs --output --verbose'
expect 'korvane --build songs.velkp --output ' 'games my pack.velk'
expect 'korvane --build songs.velkp --jobs 1' '1 10 11 12 13 14 15 16'
expect 'korvane --add songs.velkp ' 'a.mp3 b.FLAC c.m4a games'
expect 'korvane --trim ' 'games songs.velkp'
expect 'korvane --trim songs.velkp ' 'A B C D E F G H I J K L M N O P'
expect 'korvane --trim songs.velkp C 1 end --f' '--fade-in --fade-out'
expect 'korvane --untrim songs.velkp ' 'A B C D E F G H I J K L M N O P'
expect 'korvane --add songs.velkp a.mp3 --n' '--no-loudness'
expect 'korvane --pack ' 'games'
expect 'korvane --pack games --prefix ' 'music/US velk'
expect 'korvane ' 'games songs.velkp'
expect 'palisor --app' '--apply'
expect 'palisor --apply ' 'games my pack.velk'
expect 'palisor --unpack ' 'games music.rfa my pack.velk'
expect 'palisor --unpack music.rfa --to ' 'games'
expect 'palisor --game-folder ' 'games'
expect 'palisor --game-folder games --' '--apply --backup --find-games --game-folder --help --keep-virtualstore --move-virtualstore --restore --to --unpack --verbose --version'
expect 'palisor --backup --' '--game-folder --keep-virtualstore --move-virtualstore --verbose'
expect 'palisor ' 'games my pack.velk'

if [ "$failures" -ne 0 ]; then
    echo "$failures completion checks failed"
    exit 1
fi
echo "bash completion: all checks passed"
