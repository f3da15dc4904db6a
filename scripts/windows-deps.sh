#!/usr/bin/env bash
# Builds the libraries the Windows programs need from Debian's own source packages, cross-compiled
# with mingw-w64, into a cache folder outside the clone. The folder is keyed by the source versions,
# this script and the toolchain file, and is reused while its stamp is there.
#
#   scripts/windows-deps.sh                 build when missing; the prefix is the last line of stdout
#   scripts/windows-deps.sh --print-prefix  print the prefix (exit 1 when it is not built yet)
#
# KP_WINDOWS_CACHE (default /var/cache/korvane-windows) is the cache folder, KP_JOBS the build jobs.
# Progress goes to stderr, one line per library; full logs stay in PREFIX/logs.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain=$repo/cmake/toolchains/mingw-w64-x86_64.cmake
cache=${KP_WINDOWS_CACHE:-/var/cache/korvane-windows}
jobs=${KP_JOBS:-$(nproc)}
triplet=x86_64-w64-mingw32

# Source packages, in build order.
SOURCES=(libogg libvorbis lzo2 flac opus mpg123 lame libsndfile libsoxr libebur128 utfcpp taglib faad2
         vo-aacenc googletest cli11)
HOST_PACKAGES=(cmake ninja-build make pkg-config autoconf automake libtool dpkg-dev xz-utils bzip2
               gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
DEB_SRC_LIST=/etc/apt/sources.list.d/korvane-deb-src.sources

say() { echo "$*" >&2; }
fail() { say "windows-deps: $*"; exit 1; }

missing_host_packages() {
    local package
    for package in "${HOST_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

has_deb_src() {
    grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}

# The deb-src twin of every Debian deb entry: same URIs, suites, components and keys.
write_deb_src_list() {
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources >"$DEB_SRC_LIST"
    fi
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list \
            >/etc/apt/sources.list.d/korvane-deb-src.list
    fi
}

need_root() { [ "$(id -u)" -eq 0 ] || fail "run as root once: $*"; }

# Host tools and Debian's source index; apt-get update only when something is missing, so a
# cached run needs no network. Sets index.
prepare_host() {
    local missing
    missing=$(missing_host_packages)
    if index=$(source_index) && [ -z "$missing" ]; then
        return 0
    fi
    index=
    need_root "host packages or Debian's source index are missing"
    has_deb_src || write_deb_src_list
    say "Updating apt lists"
    apt-get update -qq >&2
    missing=$(missing_host_packages)
    if [ -n "$missing" ]; then
        say "Installing $(echo $missing)"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
    fi
}

# One line per package: its .dsc name and checksum, taken from the signed source index.
source_index() {
    local uris package line
    uris=$(apt-get source --print-uris --only-source -qq "${SOURCES[@]}" 2>/dev/null) || return 1
    for package in "${SOURCES[@]}"; do
        line=$(awk -v p="$package" 'index($2, p "_") == 1 && $2 ~ /\.dsc$/ { print $2, $4 }' <<<"$uris")
        [ -n "$line" ] || return 1
        echo "$package $line"
    done
}

version_of() { awk -v p="$1" '$1 == p { sub(/^[^_]*_/, "", $2); sub(/\.dsc$/, "", $2); print $2 }' <<<"$index"; }

# apt verifies each file against the signed index. This mirror may lack a file (an upstream
# signature, once a Debian packaging tarball): then every file that did arrive is checked again
# here, an .asc may be absent, and a missing packaging tarball leaves the verified upstream one.
fetch_source() {
    local package=$1 dir=$2 log=$3 uris uri name size sum dsc orig= debian=
    uris=$(apt-get source --print-uris --only-source -qq "$package")
    if apt-get source --download-only --only-source -qq "$package" >>"$log" 2>&1; then
        dsc=$(awk '/\.dsc'"'"' / { print $2 }' <<<"$uris")
        dpkg-source -x "$dsc" "$dir" >>"$log" 2>&1
        return
    fi
    while read -r uri name size sum; do
        if [ ! -f "$name" ]; then
            case $name in
                *.asc) echo "missing from the mirror, not needed to build: $name" >>"$log" ;;
                *.debian.tar.*) echo "missing from the mirror, building upstream source only: $name" >>"$log" ;;
                *) return 1 ;;
            esac
            continue
        fi
        echo "${sum#SHA256:}  $name" | sha256sum -c --quiet - >>"$log" 2>&1 || return 1
        case $name in
            *.asc) ;;
            *.dsc) dsc=$name ;;
            *.orig.tar.*) orig=$name ;;
            *.debian.tar.*) debian=$name ;;
        esac
    done <<<"$uris"
    if [ -n "$debian" ]; then
        dpkg-source --no-check -x "$dsc" "$dir" >>"$log" 2>&1
    else
        mkdir -p "$dir" && tar -xf "$orig" -C "$dir" --strip-components=1
    fi
}

# utfcpp is header-only. Where the mirror lacks its source files, its -dev package of the same
# version carries the very same headers (apt checks it against the signed index too).
fetch_fallback_utfcpp() {
    local dir=$1 log=$2 version=$3
    apt-get download -qq "libutfcpp-dev=$version" >>"$log" 2>&1 || return 1
    dpkg-deb -x libutfcpp-dev_"${version}"_*.deb "$dir.deb" &&
        mkdir -p "$dir" && cp -r "$dir.deb/usr/include/utf8cpp" "$dir/source"
}

# Configures, builds and installs one CMake project into the prefix. Shared by default.
cmake_project() {
    local name=$1 source=$2
    shift 2
    cmake -S "$source" -B "$work/build/$name" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DKP_WINDOWS_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=ON -DBUILD_TESTING=OFF "$@"
    cmake --build "$work/build/$name" -j"$jobs"
    cmake --install "$work/build/$name"
}

# The export lists' LIBRARY lines go: ogg.def's names a DLL that CMake calls libogg.dll (its
# users would look for ogg.dll), and GNU ld rejects vorbis's bare ones. The DLL's file name rules.
drop_def_library_lines() { sed -i '/^LIBRARY\b/d' "$1"/win32/*.def; }

build_libogg() {
    drop_def_library_lines "$1"
    cmake_project libogg "$1" -DINSTALL_DOCS=OFF
}

build_libvorbis() {
    drop_def_library_lines "$1"
    cmake_project libvorbis "$1"
}

# Tests only, so static. Its CMake file always builds and installs example programs: build the
# library alone and install its files by hand.
build_lzo2() {
    cmake -S "$1" -B "$work/build/lzo2" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DKP_WINDOWS_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
        -DENABLE_STATIC=ON -DENABLE_SHARED=OFF
    cmake --build "$work/build/lzo2" -j"$jobs" --target lzo_static_lib
    install -d "$prefix/include/lzo" "$prefix/lib/pkgconfig"
    install -m 644 "$1"/include/lzo/*.h "$prefix/include/lzo/"
    install -m 644 "$work/build/lzo2/liblzo2.a" "$prefix/lib/"
    install -m 644 "$work/build/lzo2/lzo2.pc" "$prefix/lib/pkgconfig/"
}

# Native FLAC only (no Ogg FLAC); the stack protector and fortify would need libssp's DLL.
build_flac() {
    cmake_project flac "$1" -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
        -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DWITH_OGG=OFF \
        -DWITH_STACK_PROTECTOR=OFF -DWITH_FORTIFY_SOURCE=OFF
}

# The 1.3.1 tarball lacks a file its CMakeLists.txt includes (it only picks a default build type).
build_opus() {
    [ -f "$1/opus_buildtype.cmake" ] || : >"$1/opus_buildtype.cmake"
    cmake_project opus "$1" -DOPUS_BUILD_PROGRAMS=OFF -DOPUS_STACK_PROTECTOR=OFF
}

# libmpg123 through its CMake port; no output library, no programs. Built the way upstream builds
# for MSVC: plain off_t names and no large-file wrappers. Otherwise it exports only mpg123_seek_64
# and the like, which libsndfile (it needs no _FILE_OFFSET_BITS on Windows) does not call; and its
# wrappers do not compile without large-file names. 32-bit offsets bound a song to 2 GiB.
build_mpg123() {
    cmake_project mpg123 "$1/ports/cmake" -DBUILD_LIBOUT123=OFF -DBUILD_PROGRAMS=OFF \
        -DMPG123_LARGE_FILE_SUPPORT=OFF -DLFS_INSENSITIVE=ON -DNO_LFS_ALIAS=ON
}

# libsndfile 1.2 enables MPEG (and so MP3 reading) only with both mpg123 and LAME: the library
# alone, without its frontend. Its own decoder stays in: its export list names the decoder's
# functions (mpg123 does our decoding). The list also names lame_init_old, gone from 3.100, which
# only a DLL's link notices.
build_lame() {
    (
        cd "$1"
        sed -i '/^lame_init_old$/d' include/libmp3lame.sym
        autoreconf -fi
        ./configure --host=$triplet --prefix="$prefix" CC=$triplet-gcc-posix LDFLAGS=-static-libgcc \
            --enable-shared --disable-static --disable-frontend \
            --disable-gtktest --disable-analyzer-hooks
        make -j"$jobs"
        make install
    )
}

build_libsndfile() {
    cmake_project libsndfile "$1" -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DENABLE_CPACK=OFF \
        -DINSTALL_MANPAGES=OFF -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=ON \
        -DENABLE_COMPATIBLE_LIBSNDFILE_NAME=ON
    grep -q 'Requires.private:.*flac.*ogg.*vorbis.*opus.*libmpg123' "$prefix/lib/pkgconfig/sndfile.pc" ||
        { echo "libsndfile was built without every codec"; return 1; }
}

# Single-threaded (OpenMP would need libgomp's DLL), no libsamplerate bindings. Its CMake file
# writes soxr.pc on other systems only, so it is written here.
build_libsoxr() {
    cmake_project libsoxr "$1" -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DWITH_OPENMP=OFF \
        -DWITH_LSR_BINDINGS=OFF -DWITH_DEV_TRACE=OFF
    local version
    version=$(version_of libsoxr)
    cat >"$prefix/lib/pkgconfig/soxr.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: soxr
Description: High quality, one-dimensional sample-rate conversion library
Version: ${version%-*}
Libs: -L\${libdir} -lsoxr
Cflags: -I\${includedir}
EOF
}

build_libebur128() { cmake_project libebur128 "$1" -DENABLE_INTERNAL_QUEUE_H=ON; }

# Only TagLib uses it (Debian's TagLib takes it from outside instead of its bundled copy).
build_utfcpp() {
    install -d "$prefix/include/utf8cpp/utf8"
    install -m 644 "$1/source/utf8.h" "$prefix/include/utf8cpp/"
    install -m 644 "$1"/source/utf8/*.h "$prefix/include/utf8cpp/utf8/"
}

# No zlib: only compressed ID3v2 frames need it, and the titles we read are never compressed.
build_taglib() {
    cmake_project taglib "$1" -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_BINDINGS=OFF -DWITH_ZLIB=OFF \
        -DCMAKE_CXX_FLAGS="-I$prefix/include/utf8cpp"
}

# AAC decoding: the library alone (no frontend, no plugins, no DRM-radio variant), as a DLL.
# automake takes the list of libraries from the command line, so only libfaad is built.
build_faad2() {
    (
        cd "$1"
        autoreconf -fi
        ./configure --host=$triplet --prefix="$prefix" CC=$triplet-gcc-posix LDFLAGS=-static-libgcc \
            --enable-shared --disable-static
        make -C libfaad -j"$jobs" lib_LTLIBRARIES=libfaad.la
        make -C libfaad install lib_LTLIBRARIES=libfaad.la
    )
}

# Tests only (they encode their AAC fixtures with it), so static and never shipped.
build_vo-aacenc() {
    (
        cd "$1"
        ./configure --host=$triplet --prefix="$prefix" CC=$triplet-gcc-posix \
            --enable-static --disable-shared --disable-example
        make -j"$jobs"
        make install
    )
}

build_googletest() { cmake_project googletest "$1" -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=OFF; }

build_cli11() {
    cmake_project cli11 "$1" -DCLI11_BUILD_TESTS=OFF -DCLI11_BUILD_EXAMPLES=OFF -DCLI11_BUILD_DOCS=OFF \
        -DCLI11_SINGLE_FILE=OFF
}

# Qt 6 for the windows comes here later (qt6-base source package, built after the libraries above
# and added to SOURCES), so that the key covers it as well.

build_one() {
    local package=$1 version log started status
    version=$(version_of "$package")
    log=$prefix/logs/$package.log
    started=$(date +%s)
    ( cd "$work/src" && fetch_source "$package" "$work/src/$package" "$log" ) ||
        { declare -F "fetch_fallback_$package" >/dev/null &&
              ( cd "$work/src" && "fetch_fallback_$package" "$work/src/$package" "$log" "$version" ); } ||
        fail "could not fetch the source of $package (see $log)"
    # Not in a condition: there, bash would ignore set -e inside the build functions.
    set +e
    ( set -e; "build_$package" "$work/src/$package" ) >>"$log" 2>&1
    status=$?
    set -e
    if [ $status -ne 0 ]; then
        tail -n 20 "$log" >&2
        fail "$package $version failed (log: $log)"
    fi
    printf '  %-12s %-22s %4d s\n' "$package" "$version" $(($(date +%s) - started)) >&2
}

# Every DLL a library imports is either ours, in PREFIX/bin, or a Windows one that mingw-w64 has an
# import library for. The compiler's runtime is linked statically, so none may import it.
check_dll_imports() {
    local file name lower bad=0
    for file in "$prefix"/bin/*.dll; do
        for name in $($triplet-objdump -p "$file" | awk '/DLL Name:/ { print $3 }'); do
            lower=${name,,}
            case $lower in
                libwinpthread*|libstdc++*|libgcc_s*|libssp*|libgomp*) ;;
                *) [ -f "$prefix/bin/$name" ] || [ -f "/usr/$triplet/lib/lib${lower%.dll}.a" ] && continue ;;
            esac
            say "windows-deps: $(basename "$file") imports $name, which is neither ours nor Windows'"
            bad=1
        done
    done
    return $bad
}

print_prefix_only=0
case ${1:-} in
    --print-prefix) print_prefix_only=1 ;;
    "") ;;
    *) fail "unknown option $1 (use --print-prefix or nothing)" ;;
esac

index=
[ $print_prefix_only -eq 1 ] || prepare_host
[ -n "$index" ] || index=$(source_index) || fail "no Debian source index; run scripts/windows-deps.sh once as root"
key=$( { echo "$index"; sha256sum <"${BASH_SOURCE[0]}"; sha256sum <"$toolchain"; } | sha256sum | cut -c1-16)
prefix=$cache/$key
stamp=$prefix/.complete

if [ $print_prefix_only -eq 1 ]; then
    echo "$prefix"
    [ -f "$stamp" ]
    exit
fi

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ -f "$stamp" ]; then
    say "Windows libraries: reusing $prefix"
    echo "$prefix"
    exit 0
fi

say "Windows libraries: building into $prefix"
work=$cache/work-$key
rm -rf "$prefix" "$work"
mkdir -p "$prefix/logs" "$work/src" "$work/build"
total_started=$(date +%s)
for package in "${SOURCES[@]}"; do
    build_one "$package"
done
rm -rf "$prefix/share/doc" "$prefix/share/man" "$prefix/libexec" "$prefix"/lib/*.la "$work"
check_dll_imports || fail "a library imports a DLL that will not be there"
echo "$index" >"$prefix/sources.txt"
say "Windows libraries built in $(($(date +%s) - total_started)) s"
touch "$stamp"
echo "$prefix"
