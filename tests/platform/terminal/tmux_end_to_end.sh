#!/usr/bin/env bash
# Runs the game in a real terminal emulator (a detached tmux pane, 120 x 40, on a socket of its
# own), drives it with exact input bytes and reads the pane's cells and modes back.
# Usage: tmux_end_to_end.sh PATH/TO/mazecast. Exits 77 (skipped) when tmux is missing.
set -uo pipefail

if ! command -v tmux >/dev/null 2>&1; then
    echo "SKIPPED: tmux is not installed; the end-to-end terminal tests need it"
    exit 77
fi
program=$(realpath "$1")

work=$(mktemp -d)
socket="mazecast-e2e-$$"
tmx() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
    tmx kill-server >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../../check.sh
source "$(dirname "$0")/../../check.sh"
failure_detail() { echo; screen | sed -n '1,12p' | sed 's/^/    | /'; }  # the pane's top
not() { ! "$@"; }

screen() { tmx capture-pane -p; }
row0() { screen | head -n 1; }
# The pane's modes: alternate screen, cursor, autowrap, mouse any, all and SGR; as restored.
modes() { tmx display -p '#{alternate_on} #{cursor_flag} #{wrap_flag} #{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}'; }
restored_modes="0 1 1 0 0 0"
pane_modes_are() { test "$(modes)" = "$1"; }
full_screen_modes() { test "$(modes | cut -d' ' -f1-3)" = "1 0 0"; }
angle() { row0 | sed -E 's/.*A:([0-9.-]+).*/\1/'; }
angle_above() { awk -v a="$(angle)" -v b="$1" 'BEGIN { exit !(a + 0 > b + 0) }'; }
# shellcheck disable=SC2046 # one argument per byte
send_bytes() { tmx send-keys -H $(printf '%b' "$1" | od -An -tx1); }

# shellcheck source=settle.sh
source "$(dirname "$0")/settle.sh"

# Waits up to 5 s (or $2 s) for the pane to show text matching the extended regex $1.
shows() { screen | grep -Eq -- "$1"; }
wait_for() { wait_until "${2:-5}" shows "$1"; }
wait_for_file() { wait_until 5 test -s "$1"; }

# The pane shows exactly the lines given, trailing blanks cut.
screen_is() { test "$(screen | sed 's/ *$//')" = "$(printf '%s\n' "$@")"; }

# Presses the arrow $1 once for each menu entry named after it, waiting each time for the
# marker on that entry. A press must reach the game more than 150 ms after the previous one,
# or it counts as an auto-repeat of a key still held: the marker shows that the game has read
# the previous press, and the pause starts only then, so load can only lengthen the gap.
menu_steps() {
    local key=$1 entry
    shift
    for entry in "$@"; do
        send_bytes "$key"
        wait_for "^$entry +<--" || return 1
        sleep 0.3
    done
}

# Starts the game from the pane's shell, which records the game's pid and exit status.
launch() {
    rm -f "$work/pid" "$work/status"
    tmx send-keys "clear; echo MAIN-SCREEN-MARK; sh -c 'echo \$\$ > $work/pid; exec $program'; echo status=\$? > $work/status" Enter
    wait_for_file "$work/pid"
}
start_game() { launch && wait_for 'Run DEMO 1 +<--'; }
start_demo() { start_game && send_bytes '\r' && wait_for '^X:6\.000000'; }
game_pid() { cat "$work/pid"; }
# The shell's fg; its status goes to a file of its own, so a stop's cannot be read as the end's.
fg_game() {
    rm -f "$work/status.fg"
    tmx send-keys "fg; echo status=\$? > $work/status.fg" Enter
}

# The terminal is as it was: main screen with its text, cursor shown, autowrap on, mouse
# reporting off, and a shell that answers. (The termios settings are checked by the pty
# matrix: bash puts its own back whenever a job stops or dies, so a check here could not fail.)
# The status is the start line's, or fg's with $3 = fg.
expect_restored() {
    local how=$1 status=$2 file=$work/status${3:+.$3}
    wait_for_file "$file"
    check "$how: exit status $status" grep -qx "status=$status" "$file"
    # The shell may write the status before tmux has read the game's last output.
    check "$how: modes restored (alternate cursor wrap mouse)" \
        wait_until 5 pane_modes_are "$restored_modes"
    check "$how: main screen contents back" wait_for 'MAIN-SCREEN-MARK'
}

# Standard input and output must be a terminal, and TERM not dumb.
"$program" </dev/null >"$work/out" 2>"$work/err"
check "not a terminal: exit status 2" test $? -eq 2
check "not a terminal: one line saying so" grep -q "interactive terminal" "$work/err"

tmx new-session -d -x 120 -y 40 "env -i PATH=$PATH HOME=$HOME TERM=screen LANG=C.UTF-8 PS1='$ ' bash --norc --noprofile"
tmx send-keys "trap true INT; echo ready > $work/ready" Enter
wait_for_file "$work/ready"

tmx send-keys "TERM=dumb $program; echo dumb=\$? > $work/dumb" Enter
wait_for_file "$work/dumb"
check "TERM=dumb: exit status 2" grep -qx "dumb=2" "$work/dumb"

# Menu, demo 1, walking, turning with the mouse and the arrows, Ctrl+C.
check "menu appears with the marker on demo 1" start_game || exit 1
check "full-screen modes while running" full_screen_modes
send_bytes '\r'
check "Enter starts demo 1 at its start pose" \
    wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
check "walls drawn with the full-block glyph" wait_for '█'
row0_coloured() { tmx capture-pane -p -e | head -n 1 | grep -q '97.*46m'; }
check "bright white on aqua" row0_coloured
send_bytes 'w'
check "W moves the player" wait_for '^X:5\.[0-9]+ Y:6\.0000'
settle row0
tapped=$settled
check "a tap makes at most two steps ($tapped)" grep -Eq '^X:5\.(500000|750000) ' <<<"$tapped"
# Auto-repeat as a keyboard sends it: S five times, 40 ms apart, timed by tmux itself, walks
# on, then stops. A byte keeps S held 150 ms at most, so however late the bytes reach the game
# it walks 17 steps at most, 4.25 cells: it cannot reach the wall at x = 10.75, and the stop is
# seen short of it.
repeats=(send-keys -H 73)
for _ in 2 3 4 5; do repeats+=(\; run-shell -d 0.04 \; send-keys -H 73); done
tmx "${repeats[@]}"
settle row0
held=$settled
x_of() { awk -v s="${1#X:}" 'BEGIN { print s + 0 }'; }
walked_back() {  # more than a cell, that is more than four steps
    [ -n "$held" ] && awk -v a="$(x_of "$held")" -v b="$(x_of "$tapped")" 'BEGIN { exit !(a > b + 1.0) }'
}
short_of_wall() { [ -n "$held" ] && awk -v a="$(x_of "$held")" 'BEGIN { exit !(a < 10.75) }'; }
check "held S keeps walking ($tapped -> $held)" walked_back
check "released S stops the player" stays "$held" row0
check "released S stops the player short of the wall" short_of_wall

# Shrinking the window clips the frame; growing it back repaints every row.
# tmux itself keeps the bottom rows when the window shrinks and blanks what grows back, so
# only the game's repaint shows the frame's top-left part, or the whole frame again.
whole=$(screen)
narrow_is_clipped() {
    python3 -c 'import sys
whole, narrow = sys.argv[1].split("\n"), sys.argv[2].split("\n")
clip = [line[:60].rstrip() for line in whole[:20]]
sys.exit(0 if [line.rstrip() for line in narrow[:20]] == clip else 1)' "$whole" "$(screen)"
}
screen_is_whole() { test "$(screen)" = "$whole"; }
tmx resize-window -x 60 -y 20
check "a narrow window shows each row's left part: clipped, never wrapped" \
    wait_until 5 narrow_is_clipped
tmx resize-window -x 120 -y 40
check "growing the window back repaints the whole frame" wait_until 5 screen_is_whole
# The view is at rest, so the angle before the pointer's first report, which only anchors it,
# is the angle the motion turns from.
start_angle=$(angle)
send_bytes '\e[<35;60;20M'
send_bytes '\e[<35;70;20M'
check "SGR mouse motion to the right turns the view right" wait_until 5 angle_above "$start_angle"
mouse_angle=$(angle)
send_bytes '\e[C'
check "the Right arrow turns the view further" wait_until 5 angle_above "$mouse_angle"
send_bytes '\x03'
expect_restored "Ctrl+C" 130

# The settings screen, a demo at the new size, then SIGTERM.
start_game
menu_steps '\e[B' 'Run DEMO 2' 'Run DEMO 3' 'Settings'
check "Down moves the marker to Settings" wait_for '^Settings +<--'
send_bytes '\r'
check "settings screen asks for the width" wait_for '^Width\?'
send_bytes '80'
check "typed digits are echoed after the prompt" wait_for '^Width\? 80$'
tmx resize-window -x 60 -y 20
check "a resize at the prompt repaints the heading, the prompt and the typed text" \
    wait_until 5 screen_is 'Set custom screen resolution' '' 'Width? 80' '' '' '' '' '' '' '' \
    '' '' '' '' '' '' '' '' '' ''
tmx resize-window -x 120 -y 40
send_bytes '\x1a'
check "Ctrl+Z at the prompt: the shell reports the game stopped" wait_for 'Stopped'
fg_game
check "fg at the prompt: the heading, the prompt and the typed text are back" \
    wait_for '^Width\? 80$'
check "fg at the prompt: the heading too" wait_for '^Set custom screen resolution'
tmx send-keys " 25" Enter
check "settings accept 80 25" wait_for 'Set resolution: 80x25'
# The result shows for five seconds; a resize meanwhile repaints it at once.
tmx resize-window -x 60 -y 20
check "a resize during the result's pause repaints it" wait_for '^Height\? Set resolution: 80x25'
tmx resize-window -x 120 -y 40
check "the menu returns after the pause" wait_for '^Settings +<--' 8
menu_steps '\e[A' 'Run DEMO 3' 'Run DEMO 2' 'Run DEMO 1'
send_bytes '\r'
check "demo 1 runs after the settings" wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
# Once the frame is drawn and at rest: walls in its rows, none below them.
frame_drawn() { screen | sed -n '2,25p' | grep -q '█'; }
frame_is_25_rows() {
    [ -n "$settled" ] && sed -n '2,25p' <<<"$settled" | grep -q '█' &&
        ! sed -n '26,40p' <<<"$settled" | grep -q '█'
}
wait_until 5 frame_drawn
settle screen
check "the frame is 25 rows high" frame_is_25_rows
kill -TERM "$(game_pid)"
expect_restored "SIGTERM" 143 fg

# The menu at rest, in windows smaller than it, then SIGHUP while it is shown.
start_game
# A menu at rest sends nothing at all.
tmx pipe-pane -o "cat > $work/idle"
sleep 2
tmx pipe-pane
check "the idle menu sends nothing for 2 s" test ! -s "$work/idle"
# Windows smaller than the menu show its top-left part; nothing scrolls.
tmx resize-window -x 120 -y 5
check "a 120 x 5 window shows the menu's top rows" \
    wait_until 5 screen_is 'Run DEMO 1  <--' '' 'Run DEMO 2' '' 'Run DEMO 3'
check "and keeps showing them: nothing scrolls" stays "$(screen)" screen
tmx resize-window -x 13 -y 3
check "a 13 x 3 window shows the menu's top-left corner" \
    wait_until 5 screen_is 'Run DEMO 1  <' '' 'Run DEMO 2'
tmx resize-window -x 120 -y 40
check "the whole menu again in a whole window" wait_for '^Settings *$'
kill -HUP "$(game_pid)"
expect_restored "SIGHUP" 129

# Ctrl+Z gives the terminal back to the shell; fg takes it again and repaints the frame.
start_demo
send_bytes '\x1a'
check "Ctrl+Z: the shell reports the game stopped" wait_for 'Stopped'
# The start line goes on when the job stops and records the stop's status: SIGTSTP's 148.
expect_restored "Ctrl+Z" 148
fg_game
check "fg: the frame is repainted" wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
check "fg: full-screen modes again" full_screen_modes
send_bytes 'w'
check "fg: keys work again" wait_for '^X:5\.[0-9]+ Y:6\.0000'
send_bytes '\x03'
expect_restored "Ctrl+Z, fg, Ctrl+C" 130 fg

# A terminal without an alternate screen: the game draws over the shell's screen, and on the
# way out leaves it blank in the terminal's own colours, with nothing of the frame on it.
tmx set-window-option -g alternate-screen off
start_demo
send_bytes '\x03'
wait_for_file "$work/status"
check "no alternate screen: exit status 130" grep -qx "status=130" "$work/status"
frame_left() { tmx capture-pane -p -e | grep -Eq "█|46m"; }
check "no alternate screen: no wall and no colour of the frame left" wait_until 5 not frame_left
tmx set-window-option -g alternate-screen on

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
