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

# shellcheck source=settle.sh
source "$(dirname "${BASH_SOURCE[0]}")/settle.sh"

# shellcheck source=../../check.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../check.sh"
failure_detail() { echo " (last status: $(status))"; }

# Waits up to $2 s (default 5) for the awk condition $1 on the status fields x, y, a.
wait_status() {
    local deadline=$((SECONDS + ${2:-5}))
    while ((SECONDS < deadline)); do
        # shellcheck disable=SC2046
        set -- "$1" "${2:-5}" $(status)
        if [ $# -eq 5 ] && awk -v x="$3" -v y="$4" -v a="$5" "BEGIN { exit !($1) }"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The turn from angle $1 to the current one in degrees, in (-180, 180].
turned_since() {
    status | awk -v from="$1" '{ d = ($3 - from) % 360; if (d <= -180) d += 360;
                                 if (d > 180) d -= 360; printf "%.3f\n", d }'
}

# Waits up to $3 s for the turn since angle $1 to satisfy the awk condition $2 on d.
wait_turn() {
    local deadline=$((SECONDS + ${3:-3})) d
    while ((SECONDS < deadline)); do
        d=$(turned_since "$1")
        [ -n "$d" ] && awk -v d="$d" "BEGIN { exit !($2) }" && return 0
        sleep 0.1
    done
    return 1
}

angle() { status | cut -d' ' -f3; }

# Starts Xvfb on a display it picks itself (written to fd 3) with a screen of $1 (WxHxD) and
# exports DISPLAY; sets xvfb_pid for the caller's cleanup. The server never resets: by default
# it starts over whenever its last client leaves, as a short-lived xdotool may do while the
# terminal is still connecting.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.err" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    if ! [ -s "$work/display" ]; then
        echo "FAILED: Xvfb did not start"
        cat "$work/xvfb.err"
        exit 1
    fi
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}

# Waits up to $2 s (default 5) for file $1 to have something in it.
wait_file() {
    for _ in $(seq $((${2:-5} * 10))); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Both files exist and hold the same bytes.
same() { [ -s "$1" ] && cmp -s "$1" "$2"; }

# What runs in the window: the terminal's modes and settings are recorded before and after the
# game. The mode query asks for the keyboard protocol's flags, then the modes the game sets
# (mouse motion, SGR, pixels, focus, alternate screen, cursor, autowrap), then the device
# attributes, whose final "c" ends the reply.
write_inside_script() {
    cat >"$work/inside.sh" <<'EOF'
work=$1
program=$2
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
