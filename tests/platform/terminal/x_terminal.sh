#!/usr/bin/env bash
# Plays the game in a real xterm or kitty window on a virtual X display, driven the way a person
# would: real key presses and releases and real pointer motion through xdotool. The terminal logs
# the game's bytes and the status line is read from the screen that log leaves. Ctrl+C ends the
# game; the terminal's modes, settings and main screen must then be as before. What differs
# between the two (how the window starts and shows its screen, how keys are held, the checks
# only one of them can make) is in the `case` below; the rest is one flow.
# Usage: x_terminal.sh xterm|kitty PATH/TO/mazecast. Exits 77 (skipped) when Xvfb, the terminal,
# xdotool or (for kitty) xset is missing, or kitty cannot open a window here.
set -uo pipefail

terminal=$1
program=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=settle.sh
source "$here/settle.sh"
# shellcheck source=../../check.sh
source "$here/../../check.sh"
failure_detail() { echo " (last status: $(status))"; }

# The status line that the log leaves on the screen, as "X Y A", from `status_reader`.
status() {
    local row
    echo >&4 && IFS= read -r row <&5 &&
        sed -nE 's/^X:(-?[0-9.]+) Y:(-?[0-9.]+) A:(-?[0-9.]+).*/\1 \2 \3/p' <<<"$row"
}
# The game sends only the cells that change, so the status line is read from the screen the log
# leaves, by one reader that follows the log for the whole run and answers each line on fd 4
# with the screen's top row on fd 5. A key is let go when it says so, and on a loaded machine an
# interpreter started for each look takes seconds, in which the player walks on.
status_reader() {
    mkfifo "$work/ask" "$work/row"
    python3 -c 'import sys
sys.path.insert(0, sys.argv[1])
from pty_screen import ScreenGrid
grid, log = ScreenGrid(40, 120), None
for _ in sys.stdin:
    try:
        log = log or open(sys.argv[2], "rb")
        grid.feed(log.read())
    except OSError:
        pass
    print(grid.line(0), flush=True)' "$here" "$work/log" <"$work/ask" >"$work/row" &
    reader_pid=$!
    exec 4>"$work/ask" 5<"$work/row"
}
angle() { status | cut -d' ' -f3; }
# Runs the awk code $2 on the status fields x, y, a and d, the turn since angle $1 in degrees,
# in (-180, 180]; fails unless the code sets `ok`.
on_status() {
    status | awk -v from="$1" 'NF == 3 { x = $1 + 0; y = $2 + 0; a = $3 + 0; d = (a - from) % 360
        d += d <= -180 ? 360 : d > 180 ? -360 : 0; '"$2"' } END { exit !ok }'
}
# Whether the awk condition $1 holds on x, y, a and d, the turn since angle $2 (wait_status
# waits up to 15 s for it).
status_is() { on_status "${2:-0}" "ok = ($1)"; }
wait_status() { wait_until 15 status_is "$@"; }
# Waits for the view to come to rest, in `settled`, and tells how far it turned since angle $1.
settle_turn() {
    settle angle
    echo "  (turned $(on_status "$1" 'printf "%.3f\n", d') degrees)"
}
wait_file() { wait_until 15 test -s "$1"; }
# Both files exist and hold the same bytes.
same() { [ -s "$1" ] && cmp -s "$1" "$2"; }
# Runs the terminal's own step $1, where it has one.
step() { ! declare -F "${terminal}_$1" >/dev/null || "${terminal}_$1"; }

work=$(mktemp -d)
xvfb_pid=
terminal_pid=
reader_pid=
end_session() {
    [ -n "$reader_pid" ] && kill "$reader_pid" 2>/dev/null
    [ -n "$terminal_pid" ] && kill "$terminal_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap end_session EXIT

case $terminal in
xterm)
    tools=(Xvfb xterm xdotool)
    # Logs everything the game writes; the main screen goes to the printer command, a file.
    window=(xterm -geometry 120x40+0+0 -fa Monospace -fs 10 -l -lf "$work/log"
        -xrm "XTerm*printerCommand: cat > $work/main-screen" -xrm 'XTerm*printAttributes: 0' -e)
    shows() { grep -saq -- "$1" "$work/log"; }
    # The X server's auto-repeat (Xvfb's: after 660 ms, 25 a second) sends more w bytes while W
    # is down: held, it walks on past a tap's two steps.
    held_w=("held W walks on past a tap's two steps" 'x < 5.5 - 0.0001')
    xterm_after_walk() { check "released W stops the player ($settled)" stays "$settled" status; }
    # xterm merges pointer motions still queued together into one report: a tap of S follows
    # the anchoring motion, and once the player has stepped back that motion has been read.
    xterm_anchor() {
        xdotool key s
        check "a tap of S steps back" wait_status "x > ${settled%% *}"
    }
    pointer=(500 "pointer motion to the right turns the view right" 'd > 0.5'
        450 "pointer motion to the left turns it back" 'd < -0.5')
    # A held arrow turns 3.6 degrees a frame. xterm sends no release: the hold is the first press
    # plus the auto-repeats, so once the repeats come it turns on past a tap's two frames, and
    # the turn ends shortly after the last repeat.
    arrows=("held Right turns right past a tap's turn" 'd > 10 && d <= 135'
        "the turn stops after Right is released"
        "held Left turns back left past a tap's turn" 'd < -10 && d >= -135')
    # xterm keeps the cursor's row in view when its window shrinks, on both screens: shrunk and
    # grown back while the game runs, the shell's text on the main screen must stay where it was.
    log_grew() { (($(stat -c %s "$work/log") > $1)); }
    resize() {  # CHECK COLUMNS ROWS
        local before
        before=$(stat -c %s "$work/log")
        xdotool windowsize --usehints "$xterm_window" "$2" "$3"
        check "$1" wait_until 15 log_grew "$before"
    }
    xterm_before_end() {
        xterm_window=$(xdotool search --pid "$terminal_pid" | head -n 1)
        resize "a shrunk window is repainted" 71 23
        resize "a window grown back is repainted" 120 40
    }
    modes_name="mouse, screen, cursor and autowrap modes as before"
    xterm_after_end() {
        wait_file "$work/main-screen"
        check "the shell's text is on the main screen where it was" \
            grep -qx "the shell's text before the game *" "$work/main-screen"
    }
    ;;
kitty)
    tools=(Xvfb kitty xdotool xset)
    # No configuration file, a fixed size in cells, no bell, no blinking, no size remembered.
    # The game's bytes are read as they come and the window is drawn at most ten times a
    # second: kitty takes key events in the loop that draws, so each drawing in software (with
    # Mesa's renderer for a graphics card) delays a key's release.
    window=(kitty --config NONE --dump-bytes "$work/log" -o allow_remote_control=yes
        --listen-on "unix:$work/kitty.sock"
        -o initial_window_width=120c -o initial_window_height=40c -o remember_window_size=no
        -o font_size=11 -o enable_audio_bell=no -o cursor_blink_interval=0
        -o update_check_interval=0 -o placement_strategy=top-left -o window_padding_width=0
        -o input_delay=0 -o repaint_delay=100 -o sync_to_monitor=no)
    # What kitty shows now, through its remote control. The status line is still read from the
    # log: the remote control takes too long on a loaded machine to tell when to let a key go.
    remote() { kitty @ --to "unix:$work/kitty.sock" "$@" 2>/dev/null; }
    shows() { remote get-text | grep -aq -- "$1"; }
    # kitty exits at once when it has no usable OpenGL; then there is nothing to test here.
    kitty_up() { ! kill -0 "$terminal_pid" 2>/dev/null || remote ls >/dev/null; }
    kitty_started() {
        wait_until 15 kitty_up
        kill -0 "$terminal_pid" 2>/dev/null && return
        echo "SKIPPED: kitty could not start on the virtual display (no usable OpenGL?):"
        cat "$work/terminal.err"
        terminal_pid=
        exit 77
    }
    kitty_after_start() {
        check "the terminal's modes were read before the game" grep -q '?0u' "$work/modes.before"
    }
    # kitty reports the press, the auto-repeats and the release. A step is 0.25 cells a frame;
    # held W walks on from x = 6 towards the wall at x = 1 (a tap would walk two steps).
    held_w=("held W walks on most of the way to the wall" 'x <= 2 && y > 5.9 && y < 6.1')
    # With auto-repeat off the only sign of a held key is its release; S held walks back many
    # steps (a terminal without the protocol would give a tap's two) and is let go once it has
    # walked a cell; the release stops it, short of the wall at x = 10.75.
    short_of_wall() { [ -n "$1" ] && awk -v x="${1%% *}" 'BEGIN { exit !(x < 10.75) }'; }
    kitty_after_walk() {
        local from=${settled%% *}
        xset r off
        xdotool keydown s
        check "held S without auto-repeat walks back many steps (from $from)" \
            wait_status "x > ${from:-0} + 1"
        xdotool keyup s
        settle status
        check "released S stops the player ($settled)" stays "$settled" status
        check "released S stops the player short of the wall" short_of_wall "$settled"
        xset r on
    }
    # Motions still queued together may be merged into one report: W held until the player
    # steps follows the anchoring motion, and then that motion has been read.
    kitty_anchor() {
        xdotool keydown w
        check "W held after the anchoring motion steps on" wait_status "x < ${settled%% *}"
        xdotool keyup w
        settle status
    }
    # 0.1 degree per pixel of pointer motion, whatever unit kitty reports it in.
    pointer=(501 "pointer 100 px to the right turns the view right by about 10 degrees"
        'd >= 7 && d <= 13'
        451 "pointer 50 px to the left turns it back by about 5 degrees" 'd <= -3 && d >= -7')
    # A held arrow turns about 90 degrees a second; its release stops the turn. The key is let
    # go once the view has turned half of that.
    arrows=("held Right keeps turning right" 'd >= 45 && d <= 135' "released Right stops the turn"
        "held Left keeps turning back left" 'd <= -45 && d >= -135')
    # Ctrl+C as "xdotool key ctrl+c" types it: Ctrl is let go within milliseconds, so kitty may
    # send Ctrl's release in the protocol's encoding after the game has started giving the
    # terminal back; the game must drop it rather than leave it for the shell.
    modes_name="keyboard flags, mouse, screen, cursor and autowrap modes as before"
    no_frame_in() { ! grep -qE 'X:-?[0-9.]+ Y:|█' <<<"$1"; }
    kitty_after_end() {
        local text
        check "main screen back with the shell's text, no frame left" \
            wait_until 15 shows "the shell's text after the game"
        text=$(remote get-text)
        check "the text from before the game is still there" \
            grep -q "the shell's text before the game" <<<"$text"
        check "no status line or wall glyph on the main screen" no_frame_in "$text"
    }
    ;;
*)
    echo "usage: x_terminal.sh xterm|kitty PATH/TO/mazecast" >&2
    exit 2
    ;;
esac

for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed; the $terminal test needs ${tools[*]}"
        exit 77
    fi
done

# What runs in the window: the terminal's modes and settings are recorded before and after the
# game. The mode query asks for the keyboard protocol's flags, then the modes the game sets
# (mouse motion, SGR, pixels, focus, alternate screen, cursor, autowrap), then the device
# attributes, whose final "c" ends the reply. It waits for the test's "go": a terminal still
# starting up (kitty compiling its shaders in software) can take seconds to answer, and the game
# gives its start-up questions only a second before it takes the terminal for one that answers
# nothing. Afterwards the main screen goes to the terminal's printer command, where it has one.
cat >"$work/inside.sh" <<'EOF'
work=$1
program=$2
echo "waiting for the test"
until [ -e "$work/go" ]; do sleep 0.1; done
modes() {
    local saved reply
    saved=$(stty -g)
    stty raw -echo
    printf '\033[?u\033[?1003$p\033[?1006$p\033[?1016$p\033[?1004$p\033[?1049$p\033[?25$p\033[?7$p\033[c' >/dev/tty
    IFS= read -r -s -d c -t 3 reply </dev/tty
    stty "$saved"
    printf '%q\n' "$reply"
}
stty -g >"$work/stty.before"
modes >"$work/modes.before"
echo "the shell's text before the game"
trap true INT
"$program"
echo $? >"$work/status"
stty -g >"$work/stty.after"
modes >"$work/modes.after"
printf '\033[i'
echo "the shell's text after the game"
sleep 60
EOF

# A display of our own, on a number Xvfb picks and tells once it takes clients. The server
# never resets: by default it starts over whenever its last client leaves, as a short-lived
# xdotool may do while the terminal is still connecting.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.err" &
xvfb_pid=$!
if ! read -r -t 15 display <"$work/display"; then
    echo "FAILED: Xvfb did not start"
    cat "$work/xvfb.err"
    exit 1
fi
export DISPLAY=":$display"

# No window manager: the keyboard goes to the window under the pointer, which starts on it.
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_CACHE_HOME="$work/cache" LANG=C.UTF-8 LIBGL_ALWAYS_SOFTWARE=1 \
    "${window[@]}" bash "$work/inside.sh" "$work" "$program" >"$work/terminal.err" 2>&1 &
terminal_pid=$!
status_reader
step started
xdotool mousemove 400 300

# Once the window shows "waiting for the test" the game may start. Without the menu nothing
# more can pass: the test says why, within its time.
wait_until 30 shows 'waiting for the test' && : >"$work/go"
check "menu appears in $terminal" wait_until 10 shows 'Run DEMO 1'
if [ "$failed" -gt 0 ]; then
    kill -0 "$terminal_pid" 2>/dev/null || echo "  ($terminal has exited)"
    kill -0 "$xvfb_pid" 2>/dev/null || echo "  (Xvfb has exited)"
    sed "s/^/  $terminal: /" "$work/terminal.err"
    sed 's/^/  Xvfb: /' "$work/xvfb.err"
    exit 1
fi
xdotool key Return
check "Enter starts demo 1" wait_status 'x == 6 && y == 6 && a == 180'
step after_start

# Held W walks on; it is let go once past the terminal's mark, however long a loaded machine
# takes to get there.
xdotool keydown w
check "${held_w[0]}" wait_status "${held_w[1]}"
xdotool keyup w
settle status
step after_walk

# Mouse look. The pointer's first report only anchors the game's pointer, and the anchoring
# motion must reach the game on its own: the terminal's anchor step moves the player after it.
start_angle=$(angle)  # the view is at rest
xdotool mousemove 401 300
step anchor
xdotool mousemove "${pointer[0]}" 300
check "${pointer[1]}" wait_status "${pointer[2]}" "$start_angle"
settle_turn "$start_angle"
turned=${settled:-0}
xdotool mousemove "${pointer[3]}" 300
check "${pointer[4]}" wait_status "${pointer[5]}" "$turned"
settle_turn "$turned"

# A held arrow turns on; it is let go once past the terminal's mark, and its release (xterm:
# its last repeat) stops the turn.
start_angle=${settled:-0}
xdotool keydown Right
check "${arrows[0]}" wait_status "${arrows[1]}" "$start_angle"
xdotool keyup Right
settle_turn "$start_angle"
after_right=$settled
check "${arrows[2]}" stays "$after_right" angle
xdotool keydown Left
check "${arrows[3]}" wait_status "${arrows[4]}" "${after_right:-0}"
xdotool keyup Left
settle_turn "${after_right:-0}"
step before_end

# Ctrl+C ends the game by SIGINT; the terminal's settings and modes must then be as before.
xdotool key ctrl+c
wait_file "$work/status"
check "Ctrl+C ends the game by SIGINT" grep -qx 130 "$work/status"
wait_file "$work/modes.after"
check "terminal settings (stty) as before" same "$work/stty.before" "$work/stty.after"
check "$modes_name" same "$work/modes.before" "$work/modes.after"
same "$work/modes.before" "$work/modes.after" ||
    echo "  before: $(cat "$work/modes.before")"$'\n'"  after:  $(cat "$work/modes.after")"
step after_end

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
