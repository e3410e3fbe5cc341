#!/usr/bin/env bash
# Cross-builds the core, the window and their tests for Windows with mingw-w64 (the window against
# the Qt that scripts/qt-windows.sh builds) and runs them under Wine: the serial line against native
# simulated controllers behind COM ports that Wine maps to their pseudo-terminals, the port list
# against keys written into Wine's registry, the window's suites against a simulated controller that
# sim_host runs natively behind COM10; zur-cli.exe reads the configuration and loads an image through a
# COM port; then scripts/windows-window-test.sh installs the installer of dist/ into a fresh prefix
# and drives the installed window. Everything lives in build-win (the Wine prefixes included) and is
# stopped again on exit. Ends with "N passed, N failed" and a non-zero status on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh

build=$root/build-win
native=$root/build-win-native
jobs=$(nproc)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

qt=$(scripts/qt-windows.sh | tail -n 1)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUR_QT_WINDOWS="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DZUR_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$build" -j "$jobs"

# The simulator runs natively: it needs a pseudo-terminal.
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Debug -DZUR_BUILD_APP=OFF -DZUR_BUILD_BENCH=OFF "${launcher[@]}"
cmake --build "$native" -j "$jobs" --target zur-sim sim_host

export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no .NET or browser engine to install into the prefix
export DISPLAY=
lines=$build/lines
logs=$build/logs

sims=()
stop_everything() {
    for pid in "${sims[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wineserver -k 2>/dev/null || true
}
trap stop_everything EXIT

wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX" "$lines" "$logs"
mkdir -p "$lines" "$logs"
timeout 300 wineboot -i >"$logs/wineboot.log" 2>&1
# No display here: Wine's windows (the window tests' message boxes) live on its null driver.
timeout 60 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >"$logs/drivers.log" 2>&1

# One controller per behaviour the line tests need: COM port, link name, simulator options.
ports=(
    "COM5 plain"
    "COM6 oversize --fault oversize"
    "COM7 split --split 4:40"
    "COM8 slow --fault oversize --pace 2400"
    "COM9 splitshort --split 4:10"
)
for entry in "${ports[@]}"; do
    read -r com name options <<<"$entry"
    # shellcheck disable=SC2086 # options are words
    "$native/sim/zur-sim" --link "$lines/$name" $options >"$logs/sim-$name.log" 2>&1 &
    sims+=("$!")
done
for entry in "${ports[@]}"; do
    read -r com name _ <<<"$entry"
    for _ in $(seq 100); do
        [ -L "$lines/$name" ] && break
        sleep 0.1
    done
    [ -L "$lines/$name" ] || { echo "zur-sim made no port at $lines/$name" >&2; exit 1; }
    timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "$com" /t REG_SZ /d "$lines/$name" /f \
        >>"$logs/reg.log" 2>&1
done
# The window tests' controller: sim_host makes one for each test behind the link that COM10 names.
"$native/tests/windows/sim_host" 0 "$lines/window" >"$logs/sim-host.log" 2>&1 &
sims+=("$!")
for _ in $(seq 100); do
    grep -q 'listening on' "$logs/sim-host.log" && break
    sleep 0.1
done
host_port=$(sed -n 's/^sim_host: listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$logs/sim-host.log")
[ -n "$host_port" ] || { echo "sim_host did not start" >&2; exit 1; }
timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v COM10 /t REG_SZ /d "$lines/window" /f >>"$logs/reg.log" 2>&1
export ZUR_TEST_SIM_HOST=$host_port ZUR_TEST_SIM_COM=COM10
# The mapping takes effect when the Wine server starts again.
wineserver -k
wineserver -w

export ZUR_TEST_COM=COM5 ZUR_TEST_COM_OVERSIZE=COM6 ZUR_TEST_COM_SPLIT=COM7 ZUR_TEST_COM_SLOW=COM8 \
    ZUR_TEST_COM_SPLIT_SHORT=COM9

passed=0
failed=0
check() { # name, then the command; its output goes to the log of that name
    local name=$1
    shift
    if "$@" >"$logs/$name.log" 2>&1; then
        echo "$name: passed"
        passed=$((passed + 1))
    else
        echo "$name: FAILED (build-win/logs/$name.log)" >&2
        failed=$((failed + 1))
    fi
}

# zur-cli.exe against the plain simulator on COM5: a configuration read, then a whole update whose
# completion the simulator logs.
image=$lines/cli-image.bin
"$native/sim/zur-sim" --make-image "$image" 4096 >"$logs/cli-image.log"
cli_read() {
    timeout 120 wine "$build/cli/zur-cli.exe" --port COM5 --json read | tr -d '\r' | tee /dev/stderr |
        grep -q '"serial_number":"1234567890"'
}
cli_update() {
    timeout 300 wine "$build/cli/zur-cli.exe" --port COM5 update "$(winepath -w "$image")" &&
        grep -q 'Firmware update complete: 4096 body bytes' "$logs/sim-plain.log"
}
check zur-cli-read cli_read
check zur-cli-update cli_update

# The port list rewrites the registry's port keys, so it runs last.
mapfile -t programs < <(find "$build/tests" -name '*_tests.exe' ! -name 'windows_port_list_tests.exe' | sort)
programs+=("$build/tests/windows/windows_port_list_tests.exe")

for program in "${programs[@]}"; do
    name=$(basename "$program" .exe)
    log=$logs/$name.log
    status=0
    # Windows programs end their lines with CR LF. Wine's server dumps its objects when a window of
    # the program gets F12 (the traffic window's key), which says nothing about the test.
    timeout 300 wine "$program" --gtest_color=no 2>&1 | tr -d '\r' |
        grep -v -E '^(0x[0-9a-f]+:[0-9]+: | {2,4}[0-9a-f]{4}: )' >"$log" || status=$?
    ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$log")
    bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' "$log")
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:$/\1/p' "$log")
    ok=${ok:-0}
    bad=${bad:-0}
    if [ "$bad" -eq 0 ] && { [ "$status" -ne 0 ] || ! grep -q '^\[==========\] .* ran\.' "$log"; }; then
        bad=1 # ended without a verdict: crashed or timed out
        echo "$name: ended with status $status before its summary" >&2
    fi
    echo "$name: $ok passed, $bad failed${skipped:+, $skipped skipped}"
    [ "$bad" -eq 0 ] || grep -E '^\[  FAILED  \]|Failure' "$log" | head -20 >&2 || true
    passed=$((passed + ok))
    failed=$((failed + bad))
done

# The installed window, driven on a virtual display (the installer of dist/, from scripts/package.sh).
check window-e2e scripts/windows-window-test.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
