#!/usr/bin/env bash
# Checks the packages scripts/package.sh left in dist/: lintian finds no error and no warning in
# the Debian package, its files are those of packaging/debian/contents.txt with their owners and
# permissions, its dependencies name Qt and the font, the desktop entry and the AppStream metainfo
# validate, each program unpacked into a temporary root prints the package's version for --version
# (with no display), and the Windows archive holds zur-cli.exe and its README. Ends with
# "N passed, N failed" and a non-zero status on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."

passed=0
failed=0
check() { # name, then the command that must succeed
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        [ -n "$out" ] && sed 's/^/    /' <<<"$out"
        failed=$((failed + 1))
    fi
}

deb=$(ls dist/zur-service_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    echo "package-test.sh: no dist/zur-service_*.deb; run scripts/package.sh first" >&2
    echo "0 passed, 1 failed"
    exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
root=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$root" "$work"' EXIT
dpkg-deb -x "$deb" "$root"

echo "$deb:"
dpkg-deb -f "$deb" Package Version Depends Recommends | sed 's/^/    /'

# lintian says it is run as root when it is; that note is not about the package.
lintian_clean() {
    lintian --fail-on error,warning "$deb" 2>&1 | grep -v '^running with root privileges is not recommended!$'
    return "${PIPESTATUS[0]}"
}
check "lintian: no error and no warning" lintian_clean

# Permissions, owner and path of every entry.
contents_match() {
    diff -u --label expected --label package packaging/debian/contents.txt \
        <(dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' | LC_ALL=C sort -k3)
}
check "contents as packaging/debian/contents.txt" contents_match

depends_on() { dpkg-deb -f "$deb" Depends | tr ',' '\n' | grep "^ *$1\( \|$\)" > /dev/null; }
check "depends on libqt6widgets6 (from the binaries)" depends_on libqt6widgets6
check "depends on fonts-liberation2" depends_on fonts-liberation2
check "recommends qt6-translations-l10n" grep -q qt6-translations-l10n <(dpkg-deb -f "$deb" Recommends)

check "desktop entry valid" desktop-file-validate "$root"/usr/share/applications/*.desktop
check "AppStream metainfo valid" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

prints_version() { # program path, expected first word
    local out
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --version) || return 1
    [ "$out" = "$2 $version" ] || { echo "printed \"$out\", not \"$2 $version\""; return 1; }
}
for program in "$root"/usr/bin/*; do
    check "$(basename "$program") --version from the unpacked package, no display" \
        prints_version "$program" "$(basename "$program")"
done

# Started where there is no display, the window says so in one line and ends with its own code,
# instead of the toolkit's abort.
window_without_display() {
    local status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/zur-service" 2>"$work/no-display.txt" || status=$?
    [ "$status" -eq 2 ] || { echo "exit status $status, not 2"; cat "$work/no-display.txt"; return 1; }
    [ "$(wc -l <"$work/no-display.txt")" -eq 1 ] && grep -q '^zur-service: нет дисплея' "$work/no-display.txt" ||
        { cat "$work/no-display.txt"; return 1; }
}
check "zur-service without a display: one line, exit 2" window_without_display

# The same for a display that is set but cannot be reached (a stale SSH forwarding, a server gone):
# a display number with no server's socket.
window_display_unreachable() {
    local status=0 number=99
    while [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$number" "$root/usr/bin/zur-service" \
        2>"$work/unreachable-display.txt" || status=$?
    [ "$status" -eq 2 ] || { echo "exit status $status, not 2"; cat "$work/unreachable-display.txt"; return 1; }
    [ "$(wc -l <"$work/unreachable-display.txt")" -eq 1 ] &&
        grep -q "^zur-service: нет связи с дисплеем :$number " "$work/unreachable-display.txt" ||
        { cat "$work/unreachable-display.txt"; return 1; }
}
check "zur-service with an unreachable display: one line, exit 2" window_display_unreachable

zip=$(ls dist/zur-service-*-win64.zip 2>/dev/null | head -1)
zip_holds() {
    [ -n "$zip" ] || { echo "no dist/zur-service-*-win64.zip"; return 1; }
    local names
    names=$(unzip -Z1 "$zip")
    grep -qx "zur-service-$version-win64/$1" <<<"$names" || { echo "$names"; return 1; }
}
for file in bin/zur-service.exe bin/zur-cli.exe bin/Qt6Widgets.dll bin/platforms/qwindows.dll \
    bin/translations/qtbase_ru.qm bin/qt.conf README.txt; do
    check "Windows archive holds $file" zip_holds "$file"
done
readme_has_windows_line_ends() {
    unzip -p "$zip" "zur-service-$version-win64/README.txt" >"$work/README.txt"
    [ "$(grep -c $'\r$' "$work/README.txt")" -eq "$(wc -l <"$work/README.txt")" ]
}
check "Windows README.txt has CR LF line ends" readme_has_windows_line_ends
check "Windows installer built" test -s "dist/zur-service-$version-setup.exe"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
