#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh copy of our Wine prefix: a silent install, both
# programs' versions from the install folder, the file types and the uninstall entry in the
# registry; then a silent uninstall, after which no file, key or shortcut of ours remains,
# while an extension another program has taken since keeps that program.
# Usage: windows-installer-test.sh KorvanePalisor-VERSION-setup.exe
set -euo pipefail
setup=$(realpath "$1")
version=$(basename "$setup" | sed -n 's/^KorvanePalisor-\(.*\)-setup\.exe$/\1/p')
[ -n "$version" ] || { echo "Usage: $0 KorvanePalisor-VERSION-setup.exe" >&2; exit 2; }
cd "$(dirname "$0")/.."
source scripts/windows-env.sh

fail() { echo "WINDOWS INSTALLER TEST FAILED: $*" >&2; exit 1; }

# A copy of the prefix, so that each run starts from a machine where nothing was installed.
copy=$(mktemp -d)
cp -a "$WINEPREFIX" "$copy/wine"
export WINEPREFIX=$copy/wine
# The installed programs must find their DLLs in their own folder, not through WINEPATH.
unset WINEPATH
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$copy"' EXIT

folder="$WINEPREFIX/drive_c/Program Files/Korvane and Palisor"
shortcuts="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
install_dir='C:\Program Files\Korvane and Palisor'
classes='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvanePalisor'

# Runs a Windows program and waits for every process it started (the uninstaller runs on as a
# copy of itself in the temporary folder).
run() { local status=0; wine "$@" || status=$?; wineserver -w; return "$status"; }

# A registry value as reg.exe prints it (the default value when NAME is empty), without its CR.
reg_value() {
    local key=$1 name=${2:-} selector=(/ve)
    [ -z "$name" ] || selector=(/v "$name")
    wine reg query "$key" "${selector[@]}" /reg:64 2>/dev/null | tr -d '\r' |
        sed -n 's/^    .*    REG_[A-Z_]*    //p'
}
key_exists() { wine reg query "$1" /reg:64 >/dev/null 2>&1; }
expect_value() {
    local actual
    actual=$(reg_value "$1" "${3:-}")
    [ "$actual" = "$2" ] || fail "$1 ${3:-(default)} is \"$actual\", not \"$2\""
}

started=$SECONDS
run "$setup" /S || fail "the silent install ended with $?"
installed=$SECONDS

for program in korvane:Korvane palisor:Palisor; do
    output=$(wine "$install_dir\\${program%%:*}.exe" --version 2>&1 | tr -d '\r') ||
        fail "${program%%:*}.exe --version ended with $?: $output"
    [[ $output == *"${program#*:}"*"$version"* ]] ||
        fail "${program%%:*}.exe --version printed \"$output\""
done
[ -f "$shortcuts/Korvane.lnk" ] && [ -f "$shortcuts/Palisor.lnk" ] || fail "no Start menu shortcuts"
[ -f "$folder/COPYING.txt" ] && [ -f "$folder/THIRD-PARTY-NOTICES.txt" ] || fail "no licence files"

expect_value "$classes\\.velkp" Korvane.Project
expect_value "$classes\\.velk" Palisor.MusicPack
expect_value "$classes\\Korvane.Project\\shell\\open\\command" "\"$install_dir\\korvane.exe\" \"%1\""
expect_value "$classes\\Palisor.MusicPack\\shell\\open\\command" "\"$install_dir\\palisor.exe\" \"%1\""
expect_value "$classes\\Korvane.Project\\DefaultIcon" "$install_dir\\korvane.exe,1"
expect_value "$classes\\Palisor.MusicPack\\DefaultIcon" "$install_dir\\palisor.exe,1"
expect_value "$uninstall_key" "Korvane and Palisor" DisplayName
expect_value "$uninstall_key" "$version" DisplayVersion
expect_value "$uninstall_key" "\"$install_dir\\Uninstall.exe\" /S" QuietUninstallString
expect_value "$uninstall_key" "$install_dir" InstallLocation
expect_value "$uninstall_key" "https://korvane.example.org/" HelpLink
expect_value "$uninstall_key" "https://korvane.example.org/" URLInfoAbout

# Another program takes .velk after the install: the uninstall must leave it that program's.
wine reg add "$classes\\.velk" /ve /d Other.Player /f /reg:64 >/dev/null 2>&1
checked=$SECONDS
run "$install_dir\\Uninstall.exe" /S || fail "the silent uninstall ended with $?"
uninstalled=$SECONDS

[ ! -e "$folder" ] || fail "left in Program Files: $(cd "$folder" && find . -mindepth 1 | tr '\n' ' ')"
[ ! -e "$shortcuts/Korvane.lnk" ] && [ ! -e "$shortcuts/Palisor.lnk" ] ||
    fail "Start menu shortcuts left"
for key in "$classes\\.velkp" "$classes\\Korvane.Project" "$classes\\Palisor.MusicPack" "$uninstall_key"; do
    ! key_exists "$key" || fail "registry key left: $key"
done
expect_value "$classes\\.velk" Other.Player

echo "Installer under Wine: install $((installed - started)) s, checks $((checked - installed)) s," \
    "uninstall $((uninstalled - checked)) s; both programs ran from Program Files, file types" \
    "and uninstall entry registered, nothing of ours left after the uninstall"
