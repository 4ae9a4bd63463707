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

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $1"; }
fail() {
    failed=$((failed + 1))
    echo "FAILED: $1"
    tmx capture-pane -p | sed -n '1,12p' | sed 's/^/    | /'
}
check() {  # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}

screen() { tmx capture-pane -p; }
row0() { tmx capture-pane -p | head -n 1; }
modes() { tmx display -p '#{alternate_on} #{cursor_flag} #{wrap_flag} #{mouse_any_flag} #{mouse_all_flag} #{mouse_sgr_flag}'; }
angle() { row0 | sed -E 's/.*A:([0-9.-]+).*/\1/'; }
send_bytes() { tmx send-keys -H $(printf '%b' "$1" | od -An -tx1); }

# Waits up to 5 s (or $2 s) for the pane to show text matching the extended regex $1.
wait_for() {
    local deadline=$((SECONDS + ${2:-5}))
    while ((SECONDS < deadline)); do
        screen | grep -Eq -- "$1" && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to 3 s for the status line's angle to exceed $1.
wait_for_angle_above() {
    local deadline=$((SECONDS + 3))
    while ((SECONDS < deadline)); do
        awk -v a="$(angle)" -v b="$1" 'BEGIN { exit !(a + 0 > b + 0) }' && return 0
        sleep 0.1
    done
    return 1
}

wait_for_file() {
    local deadline=$((SECONDS + 5))
    while ((SECONDS < deadline)); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Starts the game from the pane's shell; the shell records the game's pid and exit status.
start_game() {
    rm -f "$work/pid" "$work/status"
    tmx send-keys "clear; echo MAIN-SCREEN-MARK; sh -c 'echo \$\$ > $work/pid; exec $program'; echo status=\$? > $work/status" Enter
    wait_for 'Run DEMO 1 +<--' && wait_for_file "$work/pid"
}

# The terminal is as it was: main screen with its text, cursor shown, autowrap on, mouse
# reporting off, and a shell that answers. (The termios settings are checked by the pty
# matrix: bash puts its own back whenever a job stops or dies, so a check here could not fail.)
expect_restored() {
    local how=$1 status=$2
    wait_for_file "$work/status"
    check "$how: exit status $status" grep -qx "status=$status" "$work/status"
    check "$how: modes restored (alternate cursor wrap mouse)" test "$(modes)" = "0 1 1 0 0 0"
    check "$how: main screen contents back" wait_for 'MAIN-SCREEN-MARK' 2
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
check "full-screen modes while running" test "$(modes | cut -d' ' -f1-3)" = "1 0 0"
send_bytes '\r'
check "Enter starts demo 1 at its start pose" \
    wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
check "walls drawn with the full-block glyph" wait_for '█'
check "bright white on aqua" bash -c "tmux -L $socket capture-pane -p -e | head -n 1 | grep -q '97.*46m'"
send_bytes 'w'
check "W moves the player" wait_for '^X:5\.[0-9]+ Y:6\.0000'
sleep 0.3
tapped=$(row0)
check "a tap makes at most two steps" grep -Eq '^X:5\.(500000|750000) ' <<<"$tapped"
# Auto-repeat as a keyboard sends it: S every 33 ms for 0.6 s walks on, then stops.
for _ in $(seq 18); do send_bytes 's'; sleep 0.033; done
sleep 0.3
held=$(row0)
check "held S keeps walking ($tapped -> $held)" test "${held%% *}" != "${tapped%% *}" -a \
    "$(awk -v a="${held#X:}" -v b="${tapped#X:}" 'BEGIN { print (a + 0 > b + 1.0) }')" = 1
sleep 0.3
check "released S stops the player" test "$(row0)" = "$held"

# Shrinking the window clips the frame; growing it back repaints every row.
whole=$(screen)
tmx resize-window -x 60 -y 20
sleep 0.3
check "a narrow window shows each row's left part: clipped, never wrapped" \
    python3 -c 'import sys
whole, narrow = sys.argv[1].split("\n"), sys.argv[2].split("\n")
clip = [line[:60].rstrip() for line in whole[:20]]
sys.exit(0 if [line.rstrip() for line in narrow[:20]] == clip else 1)' "$whole" "$(screen)"
tmx resize-window -x 120 -y 40
sleep 0.3
check "growing the window back repaints the whole frame" test "$(screen)" = "$whole"
send_bytes '\e[<35;60;20M'  # the first report only anchors the pointer
sleep 0.2
start_angle=$(angle)
send_bytes '\e[<35;70;20M'
check "SGR mouse motion to the right turns the view right" wait_for_angle_above "$start_angle"
mouse_angle=$(angle)
send_bytes '\e[C'
check "the Right arrow turns the view further" wait_for_angle_above "$mouse_angle"
send_bytes '\x03'
expect_restored "Ctrl+C" 130

# The settings screen, a demo at the new size, then SIGTERM.
start_game
for _ in 1 2 3; do send_bytes '\e[B'; sleep 0.3; done
check "Down moves the marker to Settings" wait_for '^Settings +<--'
send_bytes '\r'
check "settings screen asks for the width" wait_for '^Width\?'
tmx send-keys "80 25" Enter
check "settings accept 80 25" wait_for 'Set resolution: 80x25'
check "the menu returns after the pause" wait_for '^Settings +<--' 8
for _ in 1 2 3; do send_bytes '\e[A'; sleep 0.3; done
send_bytes '\r'
check "demo 1 runs after the settings" wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
check "the frame is 25 rows high" bash -c "tmux -L $socket capture-pane -p | sed -n '26,40p' | grep -q '█' && exit 1 || exit 0"
kill -TERM "$(cat "$work/pid")"
expect_restored "SIGTERM" 143

# Ctrl+D at a prompt abandons the settings; SIGHUP while the menu is shown.
start_game
for _ in 1 2 3; do send_bytes '\e[B'; sleep 0.3; done
send_bytes '\r'
wait_for '^Width\?'
send_bytes '\x04'
check "Ctrl+D at the width prompt goes back to the menu" wait_for '^Settings +<--'
kill -HUP "$(cat "$work/pid")"
expect_restored "SIGHUP" 129

# Ctrl+Z gives the terminal back to the shell; fg takes it again and repaints the frame.
start_game
send_bytes '\r'
wait_for '^X:6\.000000'
rm -f "$work/status"
send_bytes '\x1a'
check "Ctrl+Z: the shell reports the game stopped" wait_for 'Stopped'
check "Ctrl+Z: modes restored (alternate cursor wrap mouse)" test "$(modes)" = "0 1 1 0 0 0"
check "Ctrl+Z: main screen contents back" wait_for 'MAIN-SCREEN-MARK' 2
tmx send-keys "fg; echo status=\$? > $work/status" Enter
check "fg: the frame is repainted" wait_for '^X:6\.000000 Y:6\.000000 A:180\.000000'
check "fg: full-screen modes again" test "$(modes | cut -d' ' -f1-3)" = "1 0 0"
send_bytes 'w'
check "fg: keys work again" wait_for '^X:5\.[0-9]+ Y:6\.0000'
send_bytes '\x03'
expect_restored "Ctrl+Z, fg, Ctrl+C" 130

# A crash restores with async-signal-safe calls, then dies by the same signal.
start_game
send_bytes '\r'
wait_for '^X:6\.000000'
kill -SEGV "$(cat "$work/pid")"
expect_restored "SIGSEGV" 139

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
