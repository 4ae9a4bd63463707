#!/usr/bin/env bash
# Takes docs/screenshot.png: the game in a real kitty of 120 x 41 cells on a virtual X display,
# demo 1 started with Enter, a walk back to the wall behind, the view turned 15 degrees with
# the mouse.
# kitty draws block glyphs itself, so the walls are solid; it needs OpenGL, here Mesa's
# software renderer. The screen is read back through kitty's remote control.
# Needs Xvfb, kitty, xdotool and ImageMagick (import, convert), and a built game.
# Usage: docs/screenshot.sh [PATH/TO/mazecast [OUTPUT.png]]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/mazecast}")
output=$(realpath -m "${2:-$root/docs/screenshot.png}")
for tool in Xvfb kitty xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed" >&2; exit 2; }
done
# Debian can ship a stand-in "convert"; the real one knows -version.
convert -version 2>/dev/null | grep -q ImageMagick ||
    { echo "convert is not ImageMagick's (apt-get install imagemagick)" >&2; exit 2; }
[ -x "$program" ] || { echo "no game at $program (build it first)" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=
kitty_pid=
cleanup() {
    [ -n "$kitty_pid" ] && kill "$kitty_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

screen() { kitty @ --to "unix:$work/kitty.sock" get-text 2>/dev/null; }
# The status line on the screen.
status() { screen | grep -aoE 'X:-?[0-9.]+ Y:-?[0-9.]+ A:-?[0-9.]+' | head -n 1; }
wait_for() {  # wait_for PATTERN SECONDS: waits for the pattern in the last status line or log
    local deadline=$((SECONDS + $2))
    while ((SECONDS < deadline)); do
        if [ "$1" = menu ]; then
            screen | grep -aq 'Run DEMO 1' && return 0
        else
            status | grep -qE -- "$1" && return 0
        fi
        sleep 0.1
    done
    echo "timed out waiting for $1 (last status: $(status))" >&2
    return 1
}

# A display of our own, on a number Xvfb picks and tells once it takes clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
read -r -t 15 display <"$work/display" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

# No window manager: the keyboard goes to the window under the pointer.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_CACHE_HOME="$work/cache" LANG=C.UTF-8 LIBGL_ALWAYS_SOFTWARE=1 \
    kitty --config NONE -o allow_remote_control=yes --listen-on "unix:$work/kitty.sock" \
    -o initial_window_width=120c -o initial_window_height=41c -o remember_window_size=no \
    -o font_family='DejaVu Sans Mono' -o font_size=10 -o window_padding_width=0 \
    -o cursor_blink_interval=0 -o enable_audio_bell=no -o update_check_interval=0 \
    "$program" 2>"$work/kitty.err" &
kitty_pid=$!
xdotool mousemove 300 300
wait_for menu 15 || { cat "$work/kitty.err" >&2; exit 1; }
xdotool key Return
wait_for 'X:6\.0+ Y:6\.0+ A:180\.0+' 5
# S held for two seconds walks back along the corridor until the wall behind stops the player
# at x = 10.75, wherever the frames fell.
xdotool keydown s
sleep 2
xdotool keyup s
wait_for 'X:10\.750+ Y:' 5
xdotool mousemove 301 300          # the first motion report only anchors the pointer
sleep 0.3
xdotool mousemove 451 300          # 150 px to the right: 15 degrees
wait_for 'A:195\.0+' 5
sleep 0.5                          # the frame is on the screen

window=$(xdotool search --pid "$kitty_pid" | head -n 1)
import -window "$window" "$work/raw.png"
# The window is a pixel wider and taller than its cells: that edge goes. The picture has a
# handful of colours: an indexed PNG without metadata keeps it small.
convert "$work/raw.png" -gravity SouthEast -chop 1x1 +gravity -strip -colors 16 "PNG8:$output"
echo "$output: $(status), $(identify -format '%wx%h' "$output"), $(stat -c %s "$output") bytes"
