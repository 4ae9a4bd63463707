#!/usr/bin/env bash
# Plays the game in a real kitty window on a virtual X display, driven the way a person would:
# real key presses and releases and real pointer motion through xdotool. kitty speaks the
# progressive keyboard protocol, so a key is held exactly while it is down, with or without the
# X server's auto-repeat. The screen is read back through kitty's remote control (get-text).
# Ctrl+C ends the game, and the terminal's modes, settings and main screen must be as before.
# kitty draws with OpenGL; Mesa's software renderer stands in for a graphics card.
# Usage: kitty_xvfb.sh PATH/TO/mazecast. Exits 77 (skipped) when Xvfb, kitty or xdotool is
# missing or kitty cannot open a window here.
set -uo pipefail

# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
begin_x_session "the kitty test" Xvfb kitty xdotool xset
program=$(realpath "$1")

# The text kitty shows now (the alternate screen while the game runs).
screen() {
    kitty @ --to "unix:$work/kitty.sock" get-text 2>/dev/null
}
screen_has() { screen | grep -aq -- "$1"; }
wait_screen() { wait_until "${2:-5}" screen_has "$1"; }
# The status line, read from kitty's log of the game's bytes: kitty's remote control takes too
# long on a loaded machine to tell when to let a key go.
status() { log_status; }

# What runs in the window records the terminal's modes and settings before and after the game.
write_inside_script

# A display of our own.
start_xvfb 1280x1024x24

# No window manager: the keyboard goes to the window under the pointer, which starts on it.
# No configuration file, a fixed size in cells, no bell, no blinking, no size remembered. The
# game's bytes are read as they come and the window is drawn at most ten times a second: kitty
# takes key events in the loop that draws, so each drawing in software delays a key's release.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_CACHE_HOME="$work/cache" LANG=C.UTF-8 LIBGL_ALWAYS_SOFTWARE=1 \
    kitty --config NONE --dump-bytes "$work/log" -o allow_remote_control=yes \
    --listen-on "unix:$work/kitty.sock" \
    -o initial_window_width=120c -o initial_window_height=40c -o remember_window_size=no \
    -o font_size=11 -o enable_audio_bell=no -o cursor_blink_interval=0 \
    -o update_check_interval=0 -o placement_strategy=top-left -o window_padding_width=0 \
    -o input_delay=0 -o repaint_delay=100 -o sync_to_monitor=no \
    bash "$work/inside.sh" "$work" "$program" >"$work/terminal.err" 2>&1 &
terminal_pid=$!
# kitty exits at once when it has no usable OpenGL; then there is nothing to test here.
for _ in $(seq 150); do
    kill -0 "$terminal_pid" 2>/dev/null || break
    kitty @ --to "unix:$work/kitty.sock" ls >/dev/null 2>&1 && break
    sleep 0.1
done
if ! kill -0 "$terminal_pid" 2>/dev/null; then
    echo "SKIPPED: kitty could not start on the virtual display (no usable OpenGL?):"
    cat "$work/terminal.err"
    terminal_pid=
    exit 77
fi
xdotool mousemove 400 300
start_game kitty wait_screen
check "the terminal's modes were read before the game" grep -q '?0u' "$work/modes.before"

# W held with the X server's auto-repeat on (Xvfb's: after 660 ms, 25 a second): kitty reports
# the press, repeats and the release. A step is 0.25 cells a frame; held W walks on from x = 6
# towards the wall at x = 1 (a tap would walk two steps) and is let go once past x = 2, however
# long a loaded machine takes to get there.
xdotool keydown w
check "held W walks on most of the way to the wall" wait_status 'x <= 2 && y > 5.9 && y < 6.1' 15
xdotool keyup w
settle status

# With auto-repeat off the only sign of a held key is its release; S held walks back many steps
# (a terminal without the protocol would give a tap's two) and is let go once it has walked a
# cell; the release stops it, short of the wall at x = 10.75.
xset r off
from=$(cut -d' ' -f1 <<<"$settled")
xdotool keydown s
check "held S without auto-repeat walks back many steps (from $from)" \
    wait_status "x > ${from:-0} + 1" 15
xdotool keyup s
settle status
back=$settled
check "released S stops the player ($back)" stays "$back" status
short_of_wall() { [ -n "$back" ] && awk -v x="${back%% *}" 'BEGIN { exit !(x < 10.75) }'; }
check "released S stops the player short of the wall" short_of_wall
xset r on

# Mouse look: 0.1 degree per pixel of pointer motion, whatever unit kitty reports it in.
# The pointer's first report only anchors the game's pointer. Motions still queued together
# may be merged into one report, so the anchoring motion must reach the game on its own: W held
# until the player steps follows it, and then the report before the key has been read.
start_angle=$(angle)  # the view is at rest
xdotool mousemove 401 300
xdotool keydown w
check "W held after the anchoring motion steps on" \
    wait_status "x < $(cut -d' ' -f1 <<<"${back:-0}")" 15
xdotool keyup w
settle status
xdotool mousemove 501 300
check "pointer 100 px to the right turns the view right by about 10 degrees" \
    wait_turn "$start_angle" 'd >= 7 && d <= 13' 15
settle angle
echo "  (turned $(turned_since "$start_angle") degrees)"
turned=$settled
xdotool mousemove 451 300
check "pointer 50 px to the left turns it back by about 5 degrees" \
    wait_turn "${turned:-0}" 'd <= -3 && d >= -7' 15
settle angle
echo "  (turned $(turned_since "$turned") degrees)"

# A held arrow turns about 90 degrees a second; its release stops the turn. The key is let go
# once the view has turned half of that, however long a loaded machine takes to get there.
start_angle=$settled
xdotool keydown Right
check "held Right keeps turning right" wait_turn "$start_angle" 'd >= 45 && d <= 135' 15
xdotool keyup Right
settle angle
after_right=$settled
echo "  (turned $(turned_since "$start_angle") degrees)"
check "released Right stops the turn" stays "$after_right" angle
xdotool keydown Left
check "held Left keeps turning back left" wait_turn "$after_right" 'd <= -45 && d >= -135' 15
xdotool keyup Left
settle angle
echo "  (turned $(turned_since "$after_right") degrees)"

# Ctrl+C as "xdotool key ctrl+c" types it: Ctrl is let go within milliseconds, so kitty may
# send Ctrl's release in the protocol's encoding after the game has started giving the terminal
# back; the game must drop it rather than leave it for the shell.
end_game "keyboard flags, mouse, screen, cursor and autowrap modes as before"
check "main screen back with the shell's text, no frame left" \
    wait_screen "the shell's text after the game" 15
text=$(screen)
check "the text from before the game is still there" \
    grep -q "the shell's text before the game" <<<"$text"
no_frame_in() { ! grep -qE 'X:-?[0-9.]+ Y:|█' <<<"$1"; }
check "no status line or wall glyph on the main screen" no_frame_in "$text"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
