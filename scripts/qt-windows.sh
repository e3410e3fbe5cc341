#!/usr/bin/env bash
# Builds Qt for Windows (mingw-w64) from Debian's own source of the Qt the Linux build links, and
# installs it into a cache outside the clone, keyed by the Qt version and every option below, so that
# a second run takes seconds. Only what the window and its tests use is built: Core, Gui, Widgets,
# Test, the windows and offscreen platform plug-ins and the Windows Vista style. Nothing prebuilt is
# downloaded. Prints the installed folder on its last line of standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh

qt_version=6.4.2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zur-service
toolchain=$root/cmake/qt-mingw-w64-x86_64.cmake

# Everything the window does not use is switched off: the build then stays well inside CI's time.
# tabletevent: Debian's repack leaves out wintab.h, which the windows plug-in's tablet support needs.
# dynamicgl: with OpenGL off there is nothing to load dynamically, and its code does not compile then.
# direct2d (a platform plug-in of its own) and directwrite3 (a font database the windows plug-in
# uses only when asked to, and builds only beside direct2d) are not needed.
options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_opengl=OFF
    -DFEATURE_dynamicgl=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=OFF
    -DFEATURE_directwrite3=OFF
    -DFEATURE_testlib=ON
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_imageformatplugin=OFF
    -DFEATURE_sessionmanager=OFF
    -DFEATURE_textodfwriter=OFF
)
key=$( { echo "$qt_version"; printf '%s\n' "${options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
prefix=$cache/qt-$qt_version-mingw-$key

if [ -f "$prefix/.complete" ]; then
    echo "Qt $qt_version for Windows: $prefix (cached)" >&2
    echo "$prefix"
    exit 0
fi

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

# apt fetches a source package only where a deb-src entry names its suite; the entry takes the
# suites, mirror and keyring of the system's own entry, so the source is the one the binaries came from.
src_list=/etc/apt/sources.list.d/zur-service-src.sources
if [ ! -f "$src_list" ]; then
    system_list=/etc/apt/sources.list.d/debian.sources
    if [ -f "$system_list" ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" } /debian-security/ { next } { sub(/Types: deb/, "Types: deb-src"); print }' \
            "$system_list" | "${as_root[@]}" tee "$src_list" >/dev/null
    else
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$suite" "$suite" | "${as_root[@]}" tee "$src_list" >/dev/null
    fi
    "${as_root[@]}" apt-get update -qq
fi

# The very source of the Qt the Linux build links.
debian_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
case $debian_version in
"$qt_version"+*) ;;
*) echo "qt-windows.sh: qt6-base-dev is $debian_version, not Qt $qt_version" >&2; exit 1 ;;
esac

work=$cache/qt-$qt_version-work
rm -rf "$work"
mkdir -p "$work/download"
(
    cd "$work/download"
    # apt checks every file it fetches against the hashes of the signed source index.
    apt-get source --download-only -qq "qt6-base=$debian_version"
    dsc=$(ls qt6-base_*.dsc)
    # The .dsc's own sums again, for the tarball that is unpacked.
    orig=$(ls qt6-base_*.orig.tar.xz)
    want=$(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $1, $3 }' "$dsc" |
        awk -v f="$orig" '$2 == f { print $1 }')
    [ -n "$want" ] || { echo "qt-windows.sh: $dsc names no checksum for $orig" >&2; exit 1; }
    echo "$want  $orig" | sha256sum --quiet -c -
)
mkdir -p "$work/source"
tar -xf "$work"/download/qt6-base_*.orig.tar.xz -C "$work/source" --strip-components=1

start=$(date +%s)
cmake -S "$work/source" -B "$work/build" "${options[@]}" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$work/configure.log"
cmake --build "$work/build" --parallel "$(nproc)"
rm -rf "$prefix"
cmake --install "$work/build" >"$work/install.log"
touch "$prefix/.complete"
rm -rf "$work"
echo "Qt $qt_version for Windows built in $(( ($(date +%s) - start) / 60 )) min $(( ($(date +%s) - start) % 60 )) s: $prefix" >&2
echo "$prefix"
