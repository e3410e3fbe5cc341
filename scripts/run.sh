#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it. Without a dispenser attached it starts
# the simulated controller first; its port is listed in "Порт" as /tmp/zur-sim.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

link=/tmp/zur-sim
exec "$build/sim/zur-sim" --link "$link"
