#!/usr/bin/env bash
# mazecast.exe on a desktop: wineconsole opens its console window on an Xvfb display, xdotool types
# and moves the mouse as a person would, and console_peek.exe reads the status line back out of
# the console's screen buffer. Checks that Enter starts demo 1, W moves the player and mouse
# motion turns the view. Takes 5 to 15 seconds; ctest runs it as windows.desktop_e2e, and it runs
# alone after `make windows`:
#   tests/platform/windows/desktop_e2e.sh [BUILD_DIR]      (default build-windows)
# Needs Xvfb, xdotool and wine (apt-get install xvfb xdotool wine wine64); exits 77 without them.
# Runs in a throwaway wine prefix made with the display already up (a prefix made without one
# keeps its first console window waiting for a minute or more). Set MAZECAST_E2E_SCREENSHOT=FILE.png to keep a screenshot (needs
# ImageMagick's `import`).
set -uo pipefail
build=$(cd "${1:-build-windows}" && pwd) || exit 2
for tool in Xvfb xdotool wine wineconsole wineserver; do
    command -v "$tool" > /dev/null || { echo "desktop_e2e: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2> /dev/null
    done
    wineserver -k 2> /dev/null
    wineserver -w 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A display of its own: Xvfb picks a free number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
xdotool mousemove 640 512
# A new prefix is made with the display already there, or its first window waits on it.
wineserver -p > /dev/null 2>&1
wineboot -i > /dev/null 2>&1

wineconsole "$build/mazecast.exe" > /dev/null 2>&1 &
pids+=($!)
window=$(timeout 60 xdotool search --sync --name 'mazecast' | head -n 1)
[ -n "$window" ] || { echo "FAIL: no console window within 60 s"; exit 1; }
xdotool windowfocus --sync "$window"

# The console's attribute and status line, "attribute XX" then the row.
peek() {
    wine "$build/console_peek.exe" mazecast.exe 1 2> /dev/null | tr -d '\r'
}
# Waits up to $1 seconds for the peeked status line to match the regular expression $2.
wait_status() {
    local deadline=$((SECONDS + $1))
    while [ "$SECONDS" -lt "$deadline" ]; do
        peek > "$work/peek"
        grep -qE "$2" "$work/peek" && return 0
        sleep 0.3
    done
    return 1
}
# Holds a key as a person would, long enough for several frames to poll it.
hold() {
    xdotool keydown --window "$window" "$1"
    sleep "${2:-0.3}"
    xdotool keyup --window "$window" "$1"
}
status_field() {
    sed -n "s/.*$1:\\([-0-9.]*\\).*/\\1/p" "$work/peek"
}

wait_status 30 'Run DEMO 1  <--' || fail "no menu: $(cat "$work/peek")"

hold Return
wait_status 10 '^X:6\.000000 Y:6\.000000 A:180\.000000' || fail "Enter did not start demo 1: $(cat "$work/peek")"
grep -q '^attribute 3f' "$work/peek" || fail "running colours: $(head -n 1 "$work/peek")"

hold w 0.4
wait_status 5 '^X:[0-5]\.' || fail "W did not move the player: $(cat "$work/peek")"
x=$(status_field X)

xdotool mousemove_relative -- 100 0
wait_status 5 ' A:1(8[5-9]|9[0-5])\.' || fail "mouse motion did not turn the view: $(cat "$work/peek")"
angle=$(status_field A)
echo "after Enter, W and 100 px of mouse motion: X=$x A=$angle"

if [ -n "${MAZECAST_E2E_SCREENSHOT:-}" ] && command -v import > /dev/null; then
    import -window root "$MAZECAST_E2E_SCREENSHOT" && echo "screenshot: $MAZECAST_E2E_SCREENSHOT"
fi

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "desktop_e2e: Enter, W and mouse look all reached the game"
