#!/usr/bin/env bash
# Builds the packages into dist/: the Debian package of the programs (Release, no sanitizers, with
# Debian's hardening flags, in build-package), and for Windows the installer and the portable
# archive of the cross-built window and zur-cli with the Qt they need (in build-package-win, against
# the Qt that scripts/qt-windows.sh builds). scripts/package-test.sh checks the Debian package;
# scripts/windows-test.sh installs and uninstalls the Windows one under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh

# Files and folders in the packages get the permissions Debian expects, whatever the caller's umask.
umask 022
# Debian's hardening flags, all of them (immediate binding as well).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
jobs=$(nproc)
dist=$root/dist
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build=$root/build-package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_SANITIZE=OFF -DZUR_BUILD_TESTS=OFF \
    -DZUR_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j "$jobs"

qt=$(scripts/qt-windows.sh | tail -n 1)
win=$root/build-package-win
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DZUR_QT_WINDOWS="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$win" -j "$jobs"

rm -rf "$dist"
mkdir -p "$dist"
(cd "$build" && cpack -G DEB)
mv "$build"/*.deb "$dist/"
(cd "$win" && cpack -G ZIP)
mv "$win"/*.zip "$dist/"

# The installer holds the same files as the archive: the installed tree, listed file by file so
# that the uninstaller removes exactly those.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")
stage=$win/stage
rm -rf "$stage"
cmake --install "$win" --prefix "$stage" --strip >/dev/null
lists=$win/installer
mkdir -p "$lists"
: >"$lists/files.nsh"
: >"$lists/unfiles.nsh"
(cd "$stage" && find . -type d | sort) | while read -r dir; do
    rel=${dir#.}
    rel=${rel#/}
    target='$INSTDIR'${rel:+\\${rel//\//\\}}
    echo "SetOutPath \"$target\"" >>"$lists/files.nsh"
    find "$stage${rel:+/$rel}" -maxdepth 1 -type f | sort | while read -r file; do
        echo "File \"$file\"" >>"$lists/files.nsh"
        echo "Delete \"$target\\$(basename "$file")\"" >>"$lists/unfiles.nsh"
    done
done
# Folders deepest first, each removed only when it is empty.
(cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    rel=${dir#./}
    echo "RMDir \"\$INSTDIR\\${rel//\//\\}\"" >>"$lists/unfiles.nsh"
done
makensis -V2 -DVERSION="$version" -DOUTFILE="$dist/zur-service-$version-setup.exe" \
    -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh" -DICON="$win/app/zur-service.ico" \
    -DSIZE_KB="$(du -sk "$stage" | cut -f1)" packaging/windows/installer.nsi
ls -l "$dist"
