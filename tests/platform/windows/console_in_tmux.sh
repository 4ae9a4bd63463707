#!/usr/bin/env bash
# mazecast.exe in a console that wine backs with a tmux pane: the start menu, a demo started with
# Enter in the running view's colours with full-block walls, a step with W, and the console's
# colours put back after Ctrl+C. Keys go through the desktop's input queue (console_probe.exe
# keys), where the game's asynchronous key queries read them; tmux only shows what the console
# shows.
#   console_in_tmux.sh EMULATOR MAZECAST_EXE CONSOLE_PROBE_EXE
# Exits 77 when tmux is missing.
set -uo pipefail
emulator=$1 game=$2 probe=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/harness.sh"

# The pane with its colours as escape sequences.
screen() {
    tmux -L "$tmux_server" capture-pane -p -e -t game
}
# Colours and text of the given pane rows, "ROW FG BG TEXT" a line.
rows() {
    screen > "$work/screen"
    python3 "$here/pane_colours.py" "$work/screen" "$@"
}
keys() {
    "$emulator" "$probe" keys "$@" || fail "console_probe keys $*"
}

printf -v start '%q %q' "$emulator" "$game"
start_in_tmux "mazecast-wine-$$" 130 45 "$start 2> $work/stderr; echo 'after exit'; sleep 120"

# The menu, from the top-left corner, the marker two columns past the longest entry: waited for
# whole, as its first row shows before the others are drawn.
wait_screen 30 'Run DEMO 1' || fail "no menu within 30 s"
expected_menu="0 default default Run DEMO 1  <--
2 default default Run DEMO 2
4 default default Run DEMO 3
6 default default Settings"
menu_shown() {
    menu=$(rows 0 2 4 6)
    [ "$menu" = "$expected_menu" ]
}
poll 10 0.2 menu_shown || fail "menu rows are:
$menu"

# Enter starts demo 1: status line, then bright white (97) on aqua (46) and full-block walls.
keys return
wait_screen 10 '^.*X:6\.000000 Y:6\.000000 A:180\.000000' || fail "demo 1 did not start"
read -r _ fg bg status < <(rows 0)
[ "$fg $bg" = "97 46" ] || fail "running colours are '$fg $bg', not '97 46'"
# The frame's rows are drawn after the status line.
walls_shown() {
    screen > "$work/screen"
    walls=$(grep -c '█' "$work/screen")
    [ "$walls" -ge 10 ]
}
poll 5 0.2 walls_shown || fail "only $walls rows show the full block"
grep -q 'Û' "$work/screen" && fail "byte 219 shown as a code page 1252 letter"
read -r _ fg bg _ < <(rows 20)
[ "$fg $bg" = "97 46" ] || fail "row 20 colours are '$fg $bg'"

# W walks towards -x (the view faces 180 degrees), so X falls below 6.
keys --hold 400 w
wait_screen 5 'X:[0-5]\.[0-9]{6} Y:6\.0000' || fail "W did not move the player: $(rows 0)"

# Ctrl+C ends the program; its console colours are the ones it started with.
tmux -L "$tmux_server" send-keys -t game C-c
wait_screen 10 'after exit' || fail "Ctrl+C did not end the program"
while read -r row fg bg text; do
    [ "$fg $bg" = "default default" ] || fail "row $row is '$fg $bg' after exit: $text"
done < <(rows 0 20)
after=$(grep -n 'after exit' "$work/screen" | cut -d: -f1)
[ "${after:-0}" -gt 40 ] || fail "the shell continued at line ${after:-?}, inside the picture"

if [ "$failures" -gt 0 ]; then
    echo "--- pane:"
    sed 's/\x1b\[[0-9;]*m//g' "$work/screen" | head -45
    exit 1
fi
echo "console_in_tmux: menu, demo colours, full-block walls, W and Ctrl+C restore all as expected"
