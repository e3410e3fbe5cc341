#!/usr/bin/env bash
# The serial line on the kernel's real drivers. Boots Debian's kernel under QEMU (TCG: no KVM
# needed) with an emulated 16550 UART (the 8250 driver, /dev/ttyS0) and an emulated FTDI USB
# adapter (ftdi_sio, /dev/ttyUSB0), a simulated controller at the host's end of each, and runs the
# guest test program of tests/qemu against both. The kernel is fetched once into build-qemu/ and
# kept there; the guest program is built statically into build-guest/. Prints every test and
# ends with "N passed, N failed"; fails on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

scripts/setup.sh

cache=build-qemu
kernel=$cache/kernel
build=build-guest
# The USB serial stack in load order; the 8250 driver is built into the kernel.
modules=(usb-common usbcore xhci-hcd xhci-pci usbserial ftdi_sio)

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -1
}

# The kernel image package is unpacked, not installed: installing it takes minutes and touches
# the host's boot set-up. QEMU boots the plain vmlinux inside the bzImage directly.
fetch_kernel() {
    local package
    package=$(kernel_package)
    if [ -z "$package" ]; then
        "${as_root[@]}" apt-get update -qq
        package=$(kernel_package)
    fi
    [ -n "$package" ] || { echo "no linux-image-amd64 in the package lists" >&2; exit 1; }
    echo "Fetching $package"
    local work=$kernel.new
    rm -rf "$work"
    mkdir -p "$work/modules"
    (cd "$work" && apt-get download -q "$package" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
    ls "$work"/*.deb > /dev/null 2>&1 || { echo "could not download $package" >&2; exit 1; }
    dpkg-deb -x "$work"/*.deb "$work/root"
    local module file
    for module in "${modules[@]}"; do
        file=$(find "$work/root/lib/modules" -name "$module.ko*" | head -1)
        [ -n "$file" ] || { echo "$package has no module $module" >&2; exit 1; }
        case $file in
            *.xz) xz -dc "$file" > "$work/modules/$module.ko" ;;
            *) cp "$file" "$work/modules/$module.ko" ;;
        esac
    done
    local bzimage offset
    bzimage=$(ls "$work"/root/boot/vmlinuz-*)
    offset=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$bzimage" | head -1 | cut -d: -f1)
    [ -n "$offset" ] || { echo "$bzimage holds no xz-packed kernel" >&2; exit 1; }
    # xz complains about the bytes that follow the packed kernel; the kernel itself is whole.
    tail -c +"$((offset + 1))" "$bzimage" | xz -dc > "$work/vmlinux" 2> /dev/null || true
    [ -s "$work/vmlinux" ] || { echo "could not unpack the kernel of $bzimage" >&2; exit 1; }
    rm -rf "$work/root" "$work"/*.deb
    rm -rf "$kernel"
    mv "$work" "$kernel"
}

[ -s "$kernel/vmlinux" ] || fetch_kernel

# The guest program is static (the initramfs has no libraries) and without sanitizers.
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
mkdir -p "$cache"
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_QEMU_LANE=ON -DZUR_BUILD_APP=OFF \
    -DZUR_BUILD_BENCH=OFF "${launcher[@]}" &&
    cmake --build "$build" -j "$(nproc)" --target guest_tests qemu-lane; } > "$cache/build.log" 2>&1; then
    tail -40 "$cache/build.log" >&2
    exit 1
fi

# The root must be 0755 (mktemp makes 0700): otherwise no unprivileged process opens anything.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
chmod 0755 "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules}
cp /bin/busybox "$root/bin/"
cp "$kernel"/modules/*.ko "$root/lib/modules/"
cp tests/qemu/init "$root/init"
cp "$build/tests/qemu/guest_tests" "$root/"
(cd "$root" && find . | cpio -o -H newc -R 0:0 --quiet) | gzip -1 > "$cache/initrd.cpio.gz"
rm -rf "$root"
trap - EXIT

echo "Kernel, guest program and initramfs ready after $((SECONDS - start)) s; the guest's console" \
    "and QEMU's chip trace go to $cache"
# Its last line is the summary.
exec "$build/tests/qemu/qemu-lane" "$kernel/vmlinux" "$cache/initrd.cpio.gz" "$cache"
