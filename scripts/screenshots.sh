#!/usr/bin/env bash
# The README's pictures of the station window, taken as an engineer would see it: the window on a
# virtual display (Xvfb) against three simulated controllers, driven with the keyboard and the mouse
# (xdotool): the scan, "Сохранить все...", the "Восстановление" dialog and the journal. The pictures
# go to docs/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
shots=${1:-$root/docs}

scripts/setup.sh
# ZUR_SHOTS_BUILD names a build that already holds zur-service and zur-sim.
build=${ZUR_SHOTS_BUILD:-}
if [ -z "$build" ]; then
    build=build
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUR_BUILD_TESTS=OFF -DZUR_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target zur-service zur-sim
fi

work=$(mktemp -d)
mkdir -p "$shots"
source scripts/virtual-display.sh
start_display 190 1280x900x24 "$work/xvfb.log"
sim=
app=
stop_everything() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap stop_everything EXIT

fail() {
    echo "screenshots: $*" >&2
    exit 1
}
click() { # window, x, y (inside the window)
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}
type_text() {
    xdotool type --delay 15 "$1"
}
shot() { # window, file name
    import -window "$1" "$shots/$2.png"
}
# The box with caption $1 is closed with Enter.
close_box() {
    local box
    box=$(window_named "$1" 30) || fail "no box \"$1\""
    xdotool key Return
    sleep 0.5
}
# The folder dialog is answered with $1.
choose_folder() {
    local dialog
    dialog=$(window_named "Выберите папку" 30) || fail "no folder dialog"
    sleep 0.5
    xdotool key ctrl+a
    type_text "$1"
    xdotool key Return
    sleep 0.5
}

mkdir -p "$work/backups"
"$build/sim/zur-sim" --link "$work/line" --controller 3 --controller 10 --controller 20 >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do
    [ -L "$work/line" ] && break
    sleep 0.1
done
XDG_DATA_HOME=$work/data "$build/app/zur-service" >"$work/app.log" 2>&1 &
app=$!
main=$(window_named "Настройка ТРК ZUR" 30) || fail "the main window did not show"
sleep 1
click "$main" 70 15 # the port's field
xdotool key ctrl+a
type_text "$work/line"
click "$main" 442 13 # "Открыть"
xdotool key --window "$main" F11
station=$(window_named "Станция" 30) || fail "F11 did not show the station window"
sleep 1
click "$station" 300 50 # "Адреса"
xdotool key ctrl+a
type_text "1-30"
click "$station" 150 105 # "Ожидание ответа, мс"
xdotool key ctrl+a
type_text "50"
click "$station" 59 132 # "Найти"
sleep 4
click "$station" 100 206 # the first controller
shot "$station" station-controllers

click "$station" 613 482 # "Сохранить все..."
choose_folder "$work/backups"
close_box "СООБЩЕНИЕ"
# The first controller's file now holds another master time-out and minimum voltage.
sed -i -e 's/"no_master_timeout": [0-9]*/"no_master_timeout": 45/' -e 's/"min_voltage": [0-9]*/"min_voltage": 48/' \
    "$work/backups/1234567890.json"
click "$station" 712 482 # "Восстановить..."
choose_folder "$work/backups"
dialog=$(window_named "Восстановление" 30) || fail "no restore dialog"
sleep 1
shot "$dialog" restore-dialog
click "$dialog" 504 395 # "Восстановить"
sleep 2
close_box "СООБЩЕНИЕ"
click "$station" 135 21 # the tab "Журнал"
sleep 0.5
shot "$station" station-journal
echo "screenshots: $shots/station-controllers.png, $shots/restore-dialog.png, $shots/station-journal.png"
