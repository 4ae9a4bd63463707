#!/usr/bin/env bash
# Plays the game in a real xterm window on a virtual X display, driven the way a person would:
# real key presses and releases and real pointer motion through xdotool. xterm logs everything
# the game writes; the status line is read from that log. Ctrl+C ends the game.
# Usage: xterm_xvfb.sh PATH/TO/mazecast. Exits 77 (skipped) when Xvfb, xterm or xdotool is missing.
set -uo pipefail

# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
begin_x_session "the xterm test" Xvfb xterm xdotool
program=$(realpath "$1")

# The last status line the game wrote, as "X Y A".
status() {
    grep -aoE 'X:-?[0-9.]+ Y:-?[0-9.]+ A:-?[0-9.]+' "$work/log" 2>/dev/null | tail -n 1 |
        sed -E 's/X:([^ ]+) Y:([^ ]+) A:(.+)/\1 \2 \3/'
}
wait_log() {
    local deadline=$((SECONDS + ${2:-5}))
    while ((SECONDS < deadline)); do
        grep -aq -- "$1" "$work/log" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# What runs in the window records the terminal's modes and settings before and after the game.
write_inside_script

# A display of our own.
start_xvfb 1280x800x24

# No window manager: the keyboard goes to the window under the pointer, which starts on it.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" LANG=C.UTF-8 \
    xterm -geometry 120x40+0+0 -fa Monospace -fs 10 -l -lf "$work/log" \
    -e bash "$work/inside.sh" "$work" "$program" &
terminal_pid=$!
xdotool mousemove 400 300
check "menu appears in xterm" wait_log 'Run DEMO 1' 10

xdotool key Return
check "Enter starts demo 1" wait_status 'x == 6 && y == 6 && a == 180'

# W held for a second: the X server's auto-repeat (Xvfb's: after 660 ms, 25 a second) sends
# more w bytes while it is down.
xdotool keydown w
sleep 1
xdotool keyup w
check "held W walks on past a tap's two steps" wait_status 'x < 5.5 - 0.0001'
sleep 0.3
walked=$(status)
sleep 0.3
check "released W stops the player ($walked)" test "$(status)" = "$walked"

xdotool mousemove 401 300  # the first report only anchors the pointer
sleep 0.2
start_angle=$(status | cut -d' ' -f3)
xdotool mousemove 500 300
check "pointer motion to the right turns the view right" wait_status "a > $start_angle + 0.5" 3
turned=$(status | cut -d' ' -f3)
xdotool mousemove 450 300
check "pointer motion to the left turns it back" wait_status "a < $turned - 0.5" 3

# A held arrow turns 3.6 degrees a frame. xterm sends no release: the hold is the first press
# plus the auto-repeats, so a held second turns well past a tap's two frames, and the turn
# ends shortly after the last repeat.
start_angle=$(angle)
xdotool keydown Right
sleep 1
xdotool keyup Right
check "held Right turns right past a tap's turn" wait_turn "$start_angle" 'd > 10 && d <= 135' 3
sleep 0.5
after_right=$(angle)
echo "  (turned $(turned_since "$start_angle") degrees)"
sleep 0.5
check "the turn stops after Right is released" test "$(angle)" = "$after_right"
xdotool keydown Left
sleep 1
xdotool keyup Left
check "held Left turns back left past a tap's turn" wait_turn "$after_right" 'd < -10 && d >= -135' 3
sleep 0.5
echo "  (turned $(turned_since "$after_right") degrees)"

xdotool key ctrl+c
wait_file "$work/status" 5
check "Ctrl+C ends the game by SIGINT" grep -qx 130 "$work/status"
wait_file "$work/modes.after" 5
check "terminal settings (stty) as before" same "$work/stty.before" "$work/stty.after"
check "mouse, screen, cursor and autowrap modes as before" \
    same "$work/modes.before" "$work/modes.after"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
