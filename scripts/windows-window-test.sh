#!/usr/bin/env bash
# The installed window under Wine, driven as an engineer drives it: the installer of dist/ installs
# silently into a fresh Wine prefix on a virtual display, the installed zur-service.exe starts, opens
# COM5 (a simulated controller on a pseudo-terminal, listed in the registry as a serial port), reads
# the configuration, writes it back (leaving a safety copy and a journal line), loads a firmware image from a Cyrillic folder chosen in the
# file dialog and updates the controller, which must receive the image byte for byte, opens the
# station window on a line of three controllers, finds them and saves them all; then the
# uninstaller removes every installed file. Screenshots of each step go to build-win/window-e2e.
# Run by scripts/windows-test.sh; needs the native zur-sim of build-win-native.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

work=$root/build-win/window-e2e
sim_program=$root/build-win-native/sim/zur-sim
installer=$(ls "$root"/dist/zur-service-*-setup.exe 2>/dev/null | head -n 1) ||
    { echo "window-e2e: no installer in dist/: run scripts/package.sh first" >&2; exit 1; }
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$work"
mkdir -p "$work/shots" "$work/locale"

# Wine's own dialogs (the file dialog) speak the language of the Unix locale.
localedef -i ru_RU -f UTF-8 "$work/locale/ru_RU.UTF-8" 2>/dev/null || true
# Given to the Wine programs only: this shell keeps its own locale.
russian=(env LOCPATH="$work/locale" LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8)
wine() { "${russian[@]}" wine "$@"; }
wineboot() { "${russian[@]}" wineboot "$@"; }

source scripts/virtual-display.sh
start_display 90 1024x768x24 "$work/xvfb.log"
sim=
station_sim=
stop_everything() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    [ -n "$station_sim" ] && kill "$station_sim" 2>/dev/null
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap stop_everything EXIT

fail() {
    echo "window-e2e: $*" >&2
    shot failed
    exit 1
}
shot() { # name
    import -window root "$work/shots/$1.png" 2>/dev/null || true
}
# Waits up to $1 seconds for a dialog of Windows' own (the file dialog, which has no title of its
# own here): a visible window other than the main one and wider than a message box.
dialog_window() {
    local id WIDTH
    for _ in $(seq $(($1 * 10))); do
        for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$id" | grep '^WIDTH=')"
            [ "$id" != "$main" ] && [ "$WIDTH" -gt 500 ] && [ "$WIDTH" -lt 1024 ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}
# A click at a point of the main window's client area (the layout's own coordinates).
click() { # x y
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.3
}
# Answers the message box titled $1 with a click on its OK button (centred at its foot) once its
# text has been looked at, and waits until it has gone.
answer_box() { # caption, screenshot name
    local box WIDTH HEIGHT
    box=$(window_named "$1" 60) || fail "no box \"$1\""
    sleep 0.5
    shot "$2"
    eval "$(xdotool getwindowgeometry --shell "$box" | grep -E '^(WIDTH|HEIGHT)=')"
    xdotool mousemove --window "$box" $((WIDTH / 2)) $((HEIGHT - 20)) click 1
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the box \"$1\" did not close"
}

timeout 300 "${russian[@]}" wineboot -i >"$work/wineboot.log" 2>&1

# 1. The installer, silently, as an IT department runs it.
timeout 300 "${russian[@]}" wine "$installer" /S >"$work/install.log" 2>&1
wineserver -w
install_dir="$WINEPREFIX/drive_c/Program Files/ZUR Service"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Настройка ТРК ZUR.lnk"
[ -f "$install_dir/bin/zur-service.exe" ] || fail "the installer put no zur-service.exe into Program Files"
[ -f "$install_dir/bin/zur-cli.exe" ] || fail "the installer put no zur-cli.exe into Program Files"
[ -f "$install_dir/README.txt" ] || fail "the installer put no README.txt into Program Files"
[ -f "$shortcut" ] || fail "no Start-menu entry"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\zur-service'
wine reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -q "$(basename "$installer" | sed 's/zur-service-\(.*\)-setup.exe/\1/')" ||
    fail "no uninstall entry with the version"
(cd "$install_dir" && find . -type f | sort) >"$work/installed.txt"

# 2. A simulated controller behind COM5, listed as a serial port the way a driver lists one.
"$sim_program" --make-image "$work/image.bin" 4096 >/dev/null
firmware_dir="$WINEPREFIX/drive_c/Прошивки ТРК"
mkdir -p "$firmware_dir"
cp "$work/image.bin" "$firmware_dir/микрокод.bin"
"$sim_program" --link "$work/line" --trace "$work/sim.trace" --save-image "$work/received.bin" >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
    [ -L "$work/line" ] && break
    sleep 0.1
done
# A station of three controllers behind COM6, for the station window.
"$sim_program" --link "$work/station-line" --controller 3 --controller 10 --controller 20 >"$work/station-sim.log" 2>&1 &
station_sim=$!
for _ in $(seq 100); do
    [ -L "$work/line" ] && [ -L "$work/station-line" ] && break
    sleep 0.1
done
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$work/line" /f >/dev/null 2>&1
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial4' /t REG_SZ /d COM5 /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM6 /t REG_SZ /d "$work/station-line" /f >/dev/null 2>&1
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\Serial5' /t REG_SZ /d COM6 /f >/dev/null 2>&1
wineserver -k
wineserver -w

# 3. The installed window.
wine "$install_dir/bin/zur-service.exe" >"$work/window.log" 2>&1 &
main=$(window_named "Настройка ТРК ZUR" 120) || fail "the window did not show \"Настройка ТРК ZUR\""
sleep 1
shot 1-main-window
click 104 15 # the port box's arrow: the list offers COM1 (Wine's) and COM5
sleep 0.5
shot 2-port-list
click 63 46 # COM5, the list's second line

click 442 13 # "Открыть"
shot 3-opened
click 427 67 # "Получить настройки"
answer_box "СООБЩЕНИЕ" 4-configuration-read
shot 5-configuration-page

click 427 98 # "Сохранить настройки"
answer_box "СООБЩЕНИЕ" 6-configuration-saved
# The page held what the controller reported: the save sends its values back (the side-1 time-out 10
# and the master time-out 30, where an unfilled page holds 0).
grep -q ' TX 01 10 02 03 0A ' "$work/sim.trace" && grep -q ' TX 01 10 02 05 1E ' "$work/sim.trace" ||
    fail "the save did not send the values the page should have shown"
# Before it changed anything the save kept a copy of the controller's configuration, and it left a
# journal line, both in the user's %LOCALAPPDATA%\zur-service.
data=$(find "$WINEPREFIX/drive_c/users" -type d -name zur-service -path '*Local*' 2>/dev/null | head -n 1)
[ -n "$data" ] && ls "$data"/backups/1234567890/*.json >/dev/null 2>&1 ||
    fail "the save left no safety copy under %LOCALAPPDATA%\\zur-service\\backups"
grep -q '"program":"zur-service".*"operation":"write".*"outcome":"success"' "$data/journal.jsonl" ||
    fail "the save left no journal line in %LOCALAPPDATA%\\zur-service\\journal.jsonl"

click 135 42 # the tab "Прошивка"
shot 7-firmware-page
click 39 81 # "Выбрать файл"
dialog=$(dialog_window 60) || fail "no file dialog"
sleep 1
# Typed in by pasting: keystrokes of another script than the keyboard's can be lost on a virtual display.
printf '%s' 'C:\Прошивки ТРК\микрокод.bin' | xclip -selection clipboard 2>/dev/null
xdotool key ctrl+v
sleep 0.5
shot 8-file-dialog
# Its button "Открыть", at the dialog's lower right corner.
eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(WIDTH|HEIGHT)=')"
xdotool mousemove --window "$dialog" $((WIDTH - 97)) $((HEIGHT - 15)) click 1
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^$' 2>/dev/null | grep -qx "$dialog" || break
    sleep 0.1
done
sleep 0.5
shot 9-file-chosen
click 444 81 # "Начать обновление"
for _ in $(seq 100); do
    grep -q 'update-start\|B6' "$work/sim.trace" 2>/dev/null && break
    sleep 0.1
done
sleep 2
shot 10-progress-window
answer_box "СООБЩЕНИЕ" 11-firmware-updated
cmp -s "$work/image.bin" "$work/received.bin" || fail "the controller did not receive the image byte for byte"

# The station window on COM6: F11, a scan of 1-25, and every controller saved into a folder.
click 442 13 # "Закрыть"
click 60 15  # the port's field
xdotool key ctrl+a
xdotool type --delay 20 COM6
click 442 13 # "Открыть"
xdotool key --window "$main" F11
station=$(window_named "Станция" 60) || fail "F11 did not show the station window"
sleep 1
at() { # x y inside the station window
    xdotool mousemove --window "$station" "$1" "$2" click 1
    sleep 0.3
}
at 300 50 # "Адреса"
xdotool key ctrl+a
xdotool type --delay 20 1-25
at 150 105 # "Ожидание ответа, мс"
xdotool key ctrl+a
xdotool type --delay 20 50
at 59 132 # "Найти"
sleep 8
shot 12-station-found
saved="$WINEPREFIX/drive_c/Станция"
mkdir -p "$saved"
at 613 482 # "Сохранить все..."
folder=$(window_named "Выберите папку" 30 || dialog_window 30) || fail "no folder dialog"
sleep 1
printf '%s' 'C:\Станция' | xclip -selection clipboard 2>/dev/null
xdotool key ctrl+a ctrl+v
sleep 0.5
shot 13-folder-dialog
xdotool key Return
answer_box "СООБЩЕНИЕ" 14-station-saved
for serial in 1234567890 1234567891 1234567892; do
    [ -f "$saved/$serial.json" ] || fail "\"Сохранить все...\" wrote no $serial.json"
done
# "Восстановить..." from the same folder: the dialog lists the three controllers; "Отмена".
at 712 482 # "Восстановить..."
folder=$(window_named "Выберите папку" 30 || dialog_window 30) || fail "no folder dialog"
sleep 1
xdotool key ctrl+a ctrl+v
xdotool key Return
restore=$(window_named "Восстановление" 60) || fail "no restore dialog"
sleep 1
shot 15-restore-dialog
xdotool mousemove --window "$restore" 590 395 click 1
sleep 1
at 135 21 # the tab "Журнал"
sleep 1
shot 16-station-journal
xdotool mousemove --window "$station" 200 200 click 1 key alt+F4
sleep 0.5

# Closed as the engineer closes it (Alt+F4); the program ends.
xdotool mousemove --window "$main" 250 200 click 1 key alt+F4
for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^Настройка ТРК ZUR\$" >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name "^Настройка ТРК ZUR\$" >/dev/null 2>&1 && fail "Alt+F4 did not close the window"
timeout 60 wineserver -w

# 4. The uninstaller, silently: every installed file goes, and what the engineer put into the
# folder meanwhile stays, with the folders that hold it.
echo "notes" >"$install_dir/bin/заметки.txt"
timeout 300 "${russian[@]}" wine "$install_dir/uninstall.exe" /S >"$work/uninstall.log" 2>&1
wineserver -w
left=$(cd "$install_dir" && find . | sort | tr '\n' ' ')
[ "$left" = ". ./bin ./bin/заметки.txt " ] || fail "after uninstalling, Program Files holds: $left"
[ ! -f "$shortcut" ] || fail "the uninstaller left the Start-menu entry"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstaller left its entry in Programs and Features"
echo "window-e2e: installed, configuration read and written, image loaded, uninstalled; screenshots in $work/shots"
