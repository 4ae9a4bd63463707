# Shared by the tests that play the game in a real terminal window on a virtual X display
# (and by docs/screenshot.sh). The sourcing script calls begin_x_session (or sets `work`, a
# scratch folder, itself) and defines `status`, which prints the game's last status line as
# "X Y A".

# Skips the test (exit 77) unless every tool named after $1 (the test's name) is installed;
# then makes the scratch folder `work` and, at exit, ends the terminal (terminal_pid), the
# display (xvfb_pid) and removes the folder.
begin_x_session() {
    local test=$1 tool
    shift
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIPPED: $tool is not installed; $test needs $*"
            exit 77
        fi
    done
    work=$(mktemp -d)
    xvfb_pid=
    terminal_pid=
    trap end_x_session EXIT
}
end_x_session() {
    [ -n "$terminal_pid" ] && kill "$terminal_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}

x_display_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=settle.sh
source "$x_display_dir/settle.sh"

# shellcheck source=../../check.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../check.sh"
failure_detail() { echo " (last status: $(status))"; }

# The status line that the terminal's log of the game's bytes ($work/log) leaves on the
# screen, as "X Y A": the game sends only the cells that change, so it is read from the screen.
# The interpreter itself, not a wrapper that picks one at each start: a key is let go when
# this says so, and every tenth of a second it takes the player walks on.
python=$(python3 -c 'import sys; print(sys.executable)' 2>/dev/null || echo python3)
log_status() {
    "$python" "$x_display_dir/screen_line.py" "$work/log" 0 |
        sed -nE 's/^X:(-?[0-9.]+) Y:(-?[0-9.]+) A:(-?[0-9.]+).*/\1 \2 \3/p'
}
# Waits up to $2 s (default 5) for the text $1 in the log.
wait_log() { wait_until "${2:-5}" grep -saq -- "$1" "$work/log"; }

# Waits up to $2 s (default 5) for the awk condition $1 on the status fields x, y, a.
status_is() {
    # shellcheck disable=SC2046
    set -- "$1" $(status)
    [ $# -eq 4 ] && awk -v x="$2" -v y="$3" -v a="$4" "BEGIN { exit !($1) }"
}
wait_status() { wait_until "${2:-5}" status_is "$1"; }

# The turn from angle $1 to the current one in degrees, in (-180, 180].
turned_since() {
    status | awk -v from="$1" '{ d = ($3 - from) % 360; if (d <= -180) d += 360;
                                 if (d > 180) d -= 360; printf "%.3f\n", d }'
}

# Waits up to $3 s for the turn since angle $1 to satisfy the awk condition $2 on d.
turn_is() {
    local d
    d=$(turned_since "$1")
    [ -n "$d" ] && awk -v d="$d" "BEGIN { exit !($2) }"
}
wait_turn() { wait_until "${3:-3}" turn_is "$1" "$2"; }

angle() { status | cut -d' ' -f3; }

# Starts Xvfb on a display it picks itself (written to fd 3) with a screen of $1 (WxHxD) and
# exports DISPLAY; sets xvfb_pid for the caller's cleanup. The server never resets: by default
# it starts over whenever its last client leaves, as a short-lived xdotool may do while the
# terminal is still connecting.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.err" &
    xvfb_pid=$!
    if ! wait_file "$work/display" 15; then
        echo "FAILED: Xvfb did not start"
        cat "$work/xvfb.err"
        exit 1
    fi
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}

# Waits up to $2 s (default 5) for file $1 to have something in it.
wait_file() { wait_until "${2:-5}" test -s "$1"; }

# Once the terminal named $1 shows the inside script's "waiting for the test" (found on its
# screen by the command $2 PATTERN SECONDS), lets the game start and checks that the menu
# appears (when it does not, says why and ends the test), then that Enter starts demo 1.
start_game() {
    local name=$1 find=$2
    "$find" 'waiting for the test' 30 && : >"$work/go"
    check "menu appears in $name" "$find" 'Run DEMO 1' 10
    if [ "$failed" -gt 0 ]; then  # nothing more can pass: say why, within the test's time
        kill -0 "$terminal_pid" 2>/dev/null || echo "  ($name has exited)"
        kill -0 "$xvfb_pid" 2>/dev/null || echo "  (Xvfb has exited)"
        sed "s/^/  $name: /" "$work/terminal.err"
        sed 's/^/  Xvfb: /' "$work/xvfb.err"
        exit 1
    fi
    xdotool key Return
    check "Enter starts demo 1" wait_status 'x == 6 && y == 6 && a == 180' 15
}

# Ctrl+C ends the game by SIGINT; the terminal's settings and the modes named $1 (the name of
# that check) must then be as before the game.
end_game() {
    xdotool key ctrl+c
    wait_file "$work/status" 15
    check "Ctrl+C ends the game by SIGINT" grep -qx 130 "$work/status"
    wait_file "$work/modes.after" 15
    check "terminal settings (stty) as before" same "$work/stty.before" "$work/stty.after"
    check "$1" same "$work/modes.before" "$work/modes.after"
    same "$work/modes.before" "$work/modes.after" ||
        echo "  before: $(cat "$work/modes.before")"$'\n'"  after:  $(cat "$work/modes.after")"
}

# Both files exist and hold the same bytes.
same() { [ -s "$1" ] && cmp -s "$1" "$2"; }

# What runs in the window: the terminal's modes and settings are recorded before and after the
# game. The mode query asks for the keyboard protocol's flags, then the modes the game sets
# (mouse motion, SGR, pixels, focus, alternate screen, cursor, autowrap), then the device
# attributes, whose final "c" ends the reply. It waits for `start_game`: a terminal
# still starting up (kitty compiling its shaders in software) can take seconds to answer, and
# the game gives its start-up questions only a second before it takes the terminal for one that
# answers nothing.
write_inside_script() {
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
printf '\033[i'  # the main screen to the terminal's printer command, where it has one
echo "the shell's text after the game"
sleep 60
EOF
}
