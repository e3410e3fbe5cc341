#!/usr/bin/env bash
# Installs what is missing, builds the tool, starts the simulated controller in the background and
# the tool in the foreground. The simulator stops when the tool exits.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), and the tool is a window." >&2
    echo "  Start it on a virtual display:  xvfb-run -a ./scripts/run.sh" >&2
    echo "  or point it at a running X server:  DISPLAY=:0 ./scripts/run.sh" >&2
    exit 1
fi

# A pseudo-terminal is not a serial port the machine lists, so the simulator puts a fixed name on it.
link=/tmp/zur-sim
"$build/sim/zur-sim" --link "$link" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "$link" ] && break
    kill -0 "$sim" 2>/dev/null || { echo "run.sh: the simulated controller did not start." >&2; exit 1; }
    sleep 0.1
done
[ -e "$link" ] || { echo "run.sh: the simulated controller made no port at $link." >&2; exit 1; }

echo
echo "The simulated controller answers at address 1 on $link."
echo "In the tool type $link into \"Порт\" (it is not in the list), keep 9600 and address 1,"
echo "press \"Открыть\", then \"Получить настройки\"."
echo
"$build/app/zur-service"
