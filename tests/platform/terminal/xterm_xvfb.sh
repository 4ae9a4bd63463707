#!/usr/bin/env bash
# Plays the game in a real xterm window on a virtual X display, driven the way a person would:
# real key presses and releases and real pointer motion through xdotool. xterm logs everything
# the game writes; the status line is read from the screen that log leaves. Ctrl+C ends the game.
# Usage: xterm_xvfb.sh PATH/TO/mazecast. Exits 77 (skipped) when Xvfb, xterm or xdotool is missing.
set -uo pipefail

# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
begin_x_session "the xterm test" Xvfb xterm xdotool
program=$(realpath "$1")
status() { log_status; }

# What runs in the window records the terminal's modes and settings before and after the game.
write_inside_script

# A display of our own.
start_xvfb 1280x800x24

# No window manager: the keyboard goes to the window under the pointer, which starts on it.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" LANG=C.UTF-8 \
    xterm -geometry 120x40+0+0 -fa Monospace -fs 10 -l -lf "$work/log" \
    -xrm "XTerm*printerCommand: cat > $work/main-screen" -xrm 'XTerm*printAttributes: 0' \
    -e bash "$work/inside.sh" "$work" "$program" 2>"$work/terminal.err" &
terminal_pid=$!
xdotool mousemove 400 300
start_game xterm wait_log

# W held: the X server's auto-repeat (Xvfb's: after 660 ms, 25 a second) sends more w bytes
# while it is down. It is let go once the player has walked past a tap's two steps, however
# long a loaded machine takes to get there.
xdotool keydown w
check "held W walks on past a tap's two steps" wait_status 'x < 5.5 - 0.0001' 15
xdotool keyup w
settle status
walked=$settled
check "released W stops the player ($walked)" stays "$walked" status

# The pointer's first report only anchors the game's pointer. xterm merges pointer motions
# still queued together into one report, so the anchoring motion must reach the game on its
# own: a tap of S follows it, and once the player has stepped back the report before the tap
# has been read.
start_angle=$(angle)  # the view is at rest
xdotool mousemove 401 300
xdotool key s
check "a tap of S steps back" wait_status "x > $(cut -d' ' -f1 <<<"$walked")" 15
xdotool mousemove 500 300
check "pointer motion to the right turns the view right" wait_status "a > $start_angle + 0.5" 15
settle angle
turned=$settled
xdotool mousemove 450 300
check "pointer motion to the left turns it back" wait_status "a < ${turned:-0} - 0.5" 15

# A held arrow turns 3.6 degrees a frame. xterm sends no release: the hold is the first press
# plus the auto-repeats, so once the repeats come it turns on past a tap's two frames (the key
# is let go there), and the turn ends shortly after the last repeat.
settle angle
start_angle=$settled
xdotool keydown Right
check "held Right turns right past a tap's turn" wait_turn "$start_angle" 'd > 10 && d <= 135' 15
xdotool keyup Right
settle angle
after_right=$settled
echo "  (turned $(turned_since "$start_angle") degrees)"
check "the turn stops after Right is released" stays "$after_right" angle
xdotool keydown Left
check "held Left turns back left past a tap's turn" \
    wait_turn "$after_right" 'd < -10 && d >= -135' 15
xdotool keyup Left
settle angle
echo "  (turned $(turned_since "$after_right") degrees)"

# xterm keeps the cursor's row in view when its window shrinks, on both screens: shrunk and
# grown back while the game runs, the shell's text on the main screen must stay where it was.
log_size() { stat -c %s "$work/log"; }
log_grew() { (($(log_size) > $1)); }
window=$(xdotool search --pid "$terminal_pid" | head -n 1)
before=$(log_size)
xdotool windowsize --usehints "$window" 71 23
check "a shrunk window is repainted" wait_until 15 log_grew "$before"
before=$(log_size)
xdotool windowsize --usehints "$window" 120 40
check "a window grown back is repainted" wait_until 15 log_grew "$before"

end_game "mouse, screen, cursor and autowrap modes as before"
wait_file "$work/main-screen" 15
check "the shell's text is on the main screen where it was" \
    grep -qx "the shell's text before the game *" "$work/main-screen"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
