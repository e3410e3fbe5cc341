#!/usr/bin/env bash
# Installs what is missing, builds the tool, starts the simulated controller in the background and
# the tool in the foreground; the simulator stops when the tool exits. Without a display (a server,
# a container) it builds only the command line and the simulator, reads the simulator's
# configuration with zur-cli, prints it, says how to start the window, and ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build
display=yes
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && display=
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF >/dev/null
if [ -n "$display" ]; then
    cmake --build "$build" -j "$(nproc)"
else
    cmake --build "$build" -j "$(nproc)" --target zur-cli zur-sim
fi

# A pseudo-terminal is not a serial port the machine lists, so the simulator puts a fixed name on
# it; a second run while the first still serves it gets a name of its own.
link=/tmp/zur-sim
[ -e "$link" ] && link=/tmp/zur-sim-$$
"$build/sim/zur-sim" --link "$link" >/dev/null &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "$link" ] && break
    kill -0 "$sim" 2>/dev/null || { echo "run.sh: the simulated controller did not start." >&2; exit 1; }
    sleep 0.1
done
[ -e "$link" ] || { echo "run.sh: the simulated controller made no port at $link." >&2; exit 1; }

if [ -z "$display" ]; then
    echo
    echo "There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot be shown."
    echo "The same work from the command line: the simulated controller's configuration, read with"
    echo "  $build/cli/zur-cli --port $link read"
    echo
    "$build/cli/zur-cli" --port "$link" read
    echo
    echo "More: $build/cli/zur-cli --help. To see the window, run this script where there is a display,"
    echo "or on a virtual one: sudo apt-get install xvfb && xvfb-run -a ./scripts/run.sh"
    exit 0
fi

echo
echo "The simulated controller answers at address 1 on $link."
echo "In the tool type $link into \"Порт\" (it is not in the list), keep 9600 and address 1,"
echo "press \"Открыть\", then \"Получить настройки\"."
echo
"$build/app/zur-service"
