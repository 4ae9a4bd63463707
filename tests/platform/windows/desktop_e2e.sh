#!/usr/bin/env bash
# mazecast.exe on a desktop: wineconsole opens its console window on an Xvfb display, xdotool types
# and moves the mouse as a person would, and console_probe.exe reads the status line back out of
# the console's screen buffer. The console starts as a default Windows one: a window of 120 x 30
# onto a buffer of 120 x 9001. Checks that Enter starts demo 1 with the window grown to show all 40
# rows of the frame from row 0, that W moves the player and that mouse motion turns the view.
# Takes 15 to 50 seconds; ctest runs it as windows.desktop_e2e, and it runs alone after
# `make windows`:
#   tests/platform/windows/desktop_e2e.sh [BUILD_DIR]      (default build-windows)
# Needs Xvfb, xdotool and wine (apt-get install xvfb xdotool wine wine64); exits 77 without them.
# Runs in a throwaway wine prefix made with the display already up (a prefix made without one
# keeps its first console window waiting for a minute or more). Set
# MAZECAST_E2E_SCREENSHOT=FILE.png to keep a screenshot (needs ImageMagick's `import`).
set -uo pipefail
build=$(cd "${1:-build-windows}" && pwd) || exit 2
for tool in Xvfb xdotool wine wineconsole wineserver; do
    command -v "$tool" > /dev/null || { echo "desktop_e2e: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/harness.sh"
pids=()
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop() {
    kill "${pids[@]}" 2> /dev/null
    wineserver -k 2> /dev/null
    wineserver -w 2> /dev/null
}

# A display of its own: Xvfb picks a free number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
pids+=($!)
poll 10 0.1 test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
xdotool mousemove 640 512
# A new prefix is made with the display already there, or its first window waits on it.
wineserver -p > /dev/null 2>&1
wineboot -i > /dev/null 2>&1
# Every new console's buffer and window size (height in the high word, width in the low one).
cat > "$work/console.reg" << 'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Console]
"ScreenBufferSize"=dword:23290078
"WindowSize"=dword:001e0078
EOF
wine reg import "$work/console.reg" > /dev/null 2>&1 || { echo "FAIL: cannot set the console size"; exit 1; }
# What demo 1's first frame must show, rows 30 to 39 of its 40.
wine "$build/mazecast-render.exe" --map 1 --x 6 --y 6 --angle 180 --width 120 --height 40 \
    2> /dev/null | tr -d '\r' | sed -n '31,40s/ *$//p' > "$work/expected_rows"
[ "$(wc -l < "$work/expected_rows")" -eq 10 ] || { echo "FAIL: no reference frame"; exit 1; }

wineconsole "$build/mazecast.exe" > /dev/null 2>&1 &
pids+=($!)
window=$(timeout 60 xdotool search --sync --name 'mazecast' | head -n 1)
[ -n "$window" ] || { echo "FAIL: no console window within 60 s"; exit 1; }
xdotool windowfocus --sync "$window"

# The console's attribute, window and first $1 rows (default 1, the status line): "attribute XX",
# "window ...", then the rows.
screen() {
    wine "$build/console_probe.exe" peek mazecast.exe "${1:-1}" 2> /dev/null | tr -d '\r'
}
# Holds a key as a person would, long enough for several frames to poll it.
hold() {
    xdotool keydown --window "$window" "$1"
    sleep "${2:-0.3}"
    xdotool keyup --window "$window" "$1"
}
status_field() {
    sed -n "s/.*$1:\\([-0-9.]*\\).*/\\1/p" "$work/screen"
}

wait_screen 30 'Run DEMO 1  <--' || fail "no menu: $(cat "$work/screen")"
grep -q '^window 0 0 119 29 buffer 120 9001$' "$work/screen" ||
    fail "the console did not start at 120 x 30: $(sed -n 2p "$work/screen")"
# The console window's height on the display, in pixels.
pixel_height() {
    xdotool getwindowgeometry --shell "$window" | sed -n 's/^HEIGHT=//p'
}
height_at_menu=$(pixel_height)

hold Return
wait_screen 10 '^X:6\.000000 Y:6\.000000 A:180\.000000' || fail "Enter did not start demo 1: $(cat "$work/screen")"
grep -q '^attribute 3f' "$work/screen" || fail "running colours: $(head -n 1 "$work/screen")"

# The window grows to show all 40 rows from row 0, and rows 30 to 39 hold the bottom of the
# frame; on the display the window is about a third taller (ten more rows of the same height).
# The pose is still the start's: nothing has moved the mouse or pressed W yet.
frame_shown() {
    screen 40 > "$work/frame_peek"
    read -r _ left top right bottom _ < <(sed -n 2p "$work/frame_peek")
    [ "$left" = 0 ] && [ "$top" = 0 ] && [ "${right:-0}" -ge 119 ] && [ "${bottom:-0}" -ge 39 ] &&
        sed -n '33,42p' "$work/frame_peek" | cmp -s - "$work/expected_rows" &&
        [ "$(($(pixel_height) * 30))" -ge "$((height_at_menu * 39))" ]
}
poll 10 0.3 frame_shown || fail "rows 30 to 39 are not on screen: $(sed -n 2p "$work/frame_peek"), \
$height_at_menu px high at the menu and $(pixel_height) px now; rows 30-39:
$(sed -n '33,42p' "$work/frame_peek")"

hold w 0.4
wait_screen 5 '^X:[0-5]\.' || fail "W did not move the player: $(cat "$work/screen")"
x=$(status_field X)

xdotool mousemove_relative -- 100 0
wait_screen 5 ' A:1(8[5-9]|9[0-5])\.' || fail "mouse motion did not turn the view: $(cat "$work/screen")"
angle=$(status_field A)
echo "after Enter, W and 100 px of mouse motion: X=$x A=$angle"

if [ -n "${MAZECAST_E2E_SCREENSHOT:-}" ] && command -v import > /dev/null; then
    import -window root "$MAZECAST_E2E_SCREENSHOT" && echo "screenshot: $MAZECAST_E2E_SCREENSHOT"
fi

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "desktop_e2e: the whole frame on screen; Enter, W and mouse look all reached the game"
