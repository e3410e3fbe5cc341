#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Runs apt-get as root (through sudo when started by another user).
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build git clang-format
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-translations-l10n libgl-dev libxcb1-dev
    fonts-liberation2
    xvfb xauth
    mingw-w64 g++-mingw-w64-x86-64-posix wine64 wine nsis
    xdotool xclip imagemagick librsvg2-bin locales
    clang libclang-rt-14-dev
    qemu-system-x86 busybox-static cpio xz-utils
    libcli11-dev nlohmann-json3-dev
    dpkg-dev lintian help2man appstream desktop-file-utils zip unzip
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
