#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through ctest; then builds and checks the packages,
# then the Windows tests under Wine, the fuzz targets and the QEMU lane.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

# Every source in the house format (.clang-format); a file that is not fails the run before the build.
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
# Each front end keeps its Russian texts in one file of its own (app/WindowTexts.h, cli/CliTexts.h;
# the window's layout file holds its controls' captions), and what both word alike stands in
# service/Texts.
if git grep -nP '[\x{0400}-\x{04FF}]' -- 'app/*.cpp' 'app/*.h' 'cli/*.cpp' 'cli/*.h' \
    ':!app/WindowTexts.h' ':!cli/CliTexts.h'; then
    echo "test.sh: Russian text outside the front ends' text files (above)" >&2
    exit 1
fi
# Every include keeps to the layer map of README.md.
scripts/check-layers.sh

build=build-test
# A compiler cache, where there is one, makes a rebuild after a small change take seconds.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUR_SANITIZE=ON "${launcher[@]}"
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Most suites spend their time waiting out the line's time-outs rather than computing, and each one
# has a simulated controller on a pseudo-terminal of its own, so twice as many run as there are cores.
ctest --test-dir "$build" --output-on-failure -j "$((2 * $(nproc)))"

# The packages, built as scripts/package.sh builds them and checked as a new user would get them.
scripts/package.sh
scripts/package-test.sh

# The core again, cross-built for Windows and run under Wine.
scripts/windows-test.sh

# Every fuzz target for a minute, on a copy of its seeds; a crash fails the run.
scripts/fuzz.sh 60

# The serial layer on the kernel's real 8250 and ftdi_sio drivers, in a Linux guest under QEMU.
scripts/qemu-test.sh
