# Sourced by the scripts that drive a window on a virtual display (Xvfb) with xdotool.

# Starts Xvfb on a free-looking display numbered from $1 up, with a screen of $2 (WxHxDEPTH), its
# log in $3; sets xvfb (its process) and exports DISPLAY once the server answers.
start_display() { # lowest display number, screen, log file
    local display=:$(($1 + RANDOM % 100))
    Xvfb "$display" -screen 0 "$2" -nolisten tcp >"$3" 2>&1 &
    xvfb=$!
    export DISPLAY=$display
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
}

# Waits up to $2 seconds for a window whose title is $1 and prints its id.
window_named() {
    local id
    for _ in $(seq $(($2 * 10))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
