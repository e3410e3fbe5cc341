#!/usr/bin/env bash
# Builds the packages into dist/: the Debian package of the programs (Release, no sanitizers, with
# Debian's hardening flags, in build-package) and the Windows archive of the cross-built zur-cli
# (in build-package-win). scripts/package-test.sh checks them.
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

win=$root/build-package-win
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DZUR_BUILD_APP=OFF -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$win" -j "$jobs"

rm -rf "$dist"
mkdir -p "$dist"
(cd "$build" && cpack -G DEB)
mv "$build"/*.deb "$dist/"
(cd "$win" && cpack -G ZIP)
mv "$win"/*.zip "$dist/"
ls -l "$dist"
