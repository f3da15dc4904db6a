#!/usr/bin/env bash
# Packs the Windows programs for players:
#   OUTDIR/KorvanePalisor-VERSION-setup.exe     the installer (packaging/windows/installer.nsi)
#   OUTDIR/KorvanePalisor-VERSION-portable.zip  the same files in a folder that runs anywhere
# Both carry COPYING.txt and THIRD-PARTY-NOTICES.txt, written here with CR LF line ends.
# Usage: windows-package.sh DISTDIR OUTDIR VERSION
#   DISTDIR holds korvane.exe, palisor.exe and the DLLs beside them (and Qt's plugin folders).
set -euo pipefail
[ $# -eq 3 ] || { echo "Usage: $0 DISTDIR OUTDIR VERSION" >&2; exit 2; }
dist=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$3
cd "$(dirname "$0")/.."
source scripts/deps.sh
KP_PACKAGES=(nsis zip libfaad2) # libfaad2: the copyright file its notice quotes
kp_install_packages

fail() { echo "WINDOWS PACKAGE FAILED: $*" >&2; exit 1; }
# One time for every file made here (strip writes it into the programs' headers, zip into its
# entries), so that the same files give the same packages.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
[ -f "$dist/korvane.exe" ] && [ -f "$dist/palisor.exe" ] || fail "no korvane.exe and palisor.exe in $dist"
libraries=${KP_WINDOWS_PREFIX:-$(scripts/windows-deps.sh --print-prefix)}
qt=$(scripts/windows-qt.sh --print-prefix) || true # empty until Qt is built
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
payload="$work/payload"
mkdir -p "$payload"

crlf() { sed 's/\r$//; s/$/\r/'; }

# The programs, every DLL beside them and the DLLs in the folders below (Qt's plugins), without
# their debugging information (it is most of their size).
gather_payload() {
    cp "$dist/korvane.exe" "$dist/palisor.exe" "$payload/"
    find "$dist" -maxdepth 2 -type f -iname '*.dll' -printf '%P\0' |
        while IFS= read -r -d '' dll; do
            mkdir -p "$payload/$(dirname "$dll")"
            cp "$dist/$dll" "$payload/$dll"
        done
    find "$payload" -type f \( -iname '*.exe' -o -iname '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-debug {} +
    crlf <COPYING >"$payload/COPYING.txt"
}

# The bundled libraries: Debian source package, a binary package whose copyright file covers
# it, its licence, and its DLLs (patterns relative to the payload).
LIBRARIES=(
    "libogg|libogg0|BSD-3-Clause|libogg*.dll"
    "libvorbis|libvorbis0a|BSD-3-Clause|libvorbis*.dll"
    "flac|libflac12|BSD-3-Clause (the library)|libFLAC*.dll"
    "opus|libopus0|BSD-3-Clause|libopus*.dll"
    "mpg123|libmpg123-0|LGPL-2.1|libmpg123*.dll"
    "lame|libmp3lame0|LGPL-2.0-or-later|libmp3lame*.dll"
    "libsndfile|libsndfile1|LGPL-2.1-or-later|libsndfile*.dll"
    # Its copyright file keeps the notice FAAD2's licence asks for ("Code from FAAD2 is
    # copyright (c) Nero AG, www.nero.com").
    "faad2|libfaad2|GPL-2.0-or-later|libfaad*.dll"
    "libsoxr|libsoxr0|LGPL-2.1-or-later|libsoxr*.dll"
    "libebur128|libebur128-1|MIT|libebur128*.dll"
    "taglib|libtag1v5|LGPL-2.1 or MPL-1.1|libtag*.dll"
    "qt6-base|libqt6core6|LGPL-3.0-only (parts under their own licences, below)|Qt6*.dll */q*.dll"
    # Built into both programs by the compiler: winpthreads and the C runtime's start-up code.
    "mingw-w64|mingw-w64-x86-64-dev|ZPL-2.1 and MIT (the parts built into the programs)|korvane.exe palisor.exe"
)

# The library's DLLs in the payload, one a line.
dlls_of() {
    local patterns=$1 pattern
    (cd "$payload" && for pattern in $patterns; do
        for file in $pattern; do if [ -f "$file" ]; then echo "$file"; fi; done
    done) | sort -u
}

# The Debian version of a source package, from the library caches' lists of what they built,
# else (the compiler's runtime) from the installed binary package.
debian_version() {
    local source=$1 binary=${2:-} lists=("$libraries/sources.txt") version
    [ -n "$qt" ] && [ -f "$qt/sources.txt" ] && lists+=("$qt/sources.txt")
    version=$(grep -ho "\b${source}_[^ ]*\.dsc" "${lists[@]}" | head -n 1 |
        sed "s/^${source}_//; s/\.dsc$//")
    [ -n "$version" ] || [ -z "$binary" ] || version=$(dpkg-query -W -f='${source:Version}' "$binary")
    echo "$version"
}

# Licence texts in /usr/share/common-licenses that a copyright file refers to.
common_licences() {
    grep -o '/usr/share/common-licenses/[A-Za-z0-9+._-]*[A-Za-z0-9+]' "$1" | sed 's|.*/||' | sort -u
}

write_notices() {
    local entry source binary licence patterns dlls version copyright referred
    local all_referred=() covered=()
    {
        cat <<HEAD
Korvane and Palisor: third-party notices

Korvane and Palisor are free software under the GNU General Public License, version 3 or
later (COPYING.txt). They use the libraries below, each under its own licence. Each entry
holds the library's copyright and licence terms; the licence texts they refer to follow at
the end of this file.

The libraries under the GNU Lesser General Public License (LGPL) are separate DLLs in the
program folder. You may replace any of them with your own build of the same library, made
from its source with the same version's interface, and the programs will use it. Their
sources, as built here, are Debian's source packages of the versions named below, for
example with "apt-get source libsndfile=$(debian_version libsndfile)" on Debian 12, or from
https://snapshot.debian.org/package/NAME/VERSION/.

HEAD
        for entry in "${LIBRARIES[@]}"; do
            IFS='|' read -r source binary licence patterns <<<"$entry"
            dlls=$(dlls_of "$patterns")
            [ -n "$dlls" ] || continue
            version=$(debian_version "$source" "$binary")
            [ -n "$version" ] || fail "no version of $source in the library caches' sources.txt"
            copyright=/usr/share/doc/$binary/copyright
            [ -f "$copyright" ] || fail "no $copyright (install $binary)"
            mapfile -t referred < <(common_licences "$copyright")
            all_referred+=("${referred[@]}")
            covered+=($dlls)
            echo "================================================================================"
            echo "$source $version"
            echo "Licence: $licence"
            echo "Files: $(echo $dlls)"
            echo "Source: Debian source package $source, version $version"
            [ ${#referred[@]} -eq 0 ] ||
                echo "Licence texts referred to below: ${referred[*]} (at the end of this file)"
            echo "================================================================================"
            echo
            cat "$copyright"
            echo
        done
        mapfile -t all_referred < <(printf '%s\n' "${all_referred[@]}" | sort -u | grep .)
        for name in "${all_referred[@]}"; do
            [ -f "/usr/share/common-licenses/$name" ] || continue
            echo "================================================================================"
            echo "$name (/usr/share/common-licenses/$name)"
            echo "================================================================================"
            echo
            cat "/usr/share/common-licenses/$name"
            echo
        done
    } >"$work/notices.txt"
    crlf <"$work/notices.txt" >"$payload/THIRD-PARTY-NOTICES.txt"
    # Every DLL shipped must have its notice.
    local dll
    while IFS= read -r dll; do
        printf '%s\n' "${covered[@]}" | grep -qxF "$dll" || fail "no notice for $dll"
    done < <(cd "$payload" && find . -iname '*.dll' -printf '%P\n')
}

# The installer's list of files, written for installer.nsi to !include: each file installed
# by name, and removed by the same name.
write_file_list() {
    local list=$1 folder file
    {
        echo "!macro KP_INSTALL_FILES"
        while IFS= read -r folder; do
            echo "  SetOutPath \"\$INSTDIR${folder:+\\${folder//\//\\}}\""
            while IFS= read -r file; do
                echo "  File \"$payload/${folder:+$folder/}$file\""
            done < <(find "$payload/$folder" -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort)
        done < <(cd "$payload" && find . -type d -printf '%P\n' | LC_ALL=C sort)
        echo "!macroend"
        echo "!macro KP_REMOVE_FILES"
        (cd "$payload" && find . -type f -printf '%P\n' | LC_ALL=C sort) | while IFS= read -r file; do
            echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
        done
        (cd "$payload" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r) |
            while IFS= read -r folder; do echo "  RMDir \"\$INSTDIR\\${folder//\//\\}\""; done
        echo "!macroend"
    } >"$list"
}

make_installer() {
    local setup="$out/KorvanePalisor-$version-setup.exe" quad kb
    # Four numbers for the version information, leading zeros dropped: 1.02.2 gives 1.2.2.0.
    quad=$(echo "$version.0.0.0" | awk -F. '{ printf "%d.%d.%d.%d", $1, $2, $3, $4 }')
    kb=$(du -sk --apparent-size "$payload" | cut -f1)
    # The installer keeps each file's time.
    find "$payload" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    write_file_list "$work/files.nsh"
    makensis -V2 -DVERSION="$version" -DVERSION_QUAD="$quad" -DPAYLOAD="$payload" \
        -DFILES_NSH="$work/files.nsh" -DPAYLOAD_KB="$kb" -DOUTFILE="$setup" \
        packaging/windows/installer.nsi >"$work/makensis.log" ||
        { cat "$work/makensis.log"; fail "makensis"; }
    echo "Installer: $setup ($(du -h "$setup" | cut -f1))"
}

# The same files in a folder of their own, with the marker that keeps the work folders there.
# Fixed times and order.
make_zip() {
    local zipfile="$out/KorvanePalisor-$version-portable.zip" top="Korvane and Palisor $version"
    mkdir -p "$work/zip"
    cp -r "$payload" "$work/zip/$top"
    printf '%s\n' \
        "Korvane and Palisor keep their work folders here, beside the programs, because this" \
        "file is here: the whole folder can move to another place or computer. Without this" \
        "file they keep them in your user folder (AppData\\Local)." | crlf >"$work/zip/$top/portable.txt"
    find "$work/zip" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$zipfile"
    (cd "$work/zip" && find "$top" | LC_ALL=C sort | zip -q -X -9 "$zipfile" -@)
    echo "Portable zip: $zipfile ($(du -h "$zipfile" | cut -f1))"
}

gather_payload
write_notices
make_installer
make_zip
