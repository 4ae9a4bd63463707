# Shared by the console scripts here (sourced): a work folder that goes at exit after the script's
# own `stop`, counted failures, waiting for a condition or for the console to show a text, and a
# detached tmux pane of its own server.
work=$(mktemp -d)
stop() { :; }
trap 'stop; rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs COMMAND... every $2 seconds until it succeeds (0) or $1 seconds have passed (1).
poll() {
    local deadline=$((SECONDS + $1)) every=$2
    shift 2
    while [ "$SECONDS" -lt "$deadline" ]; do
        "$@" && return 0
        sleep "$every"
    done
    return 1
}

# Whether the console, as the script's own `screen` prints it (to $work/screen here), shows text
# matching the regular expression $1; wait_screen waits $1 seconds for $2.
screen_shows() {
    screen > "$work/screen"
    grep -qE "$1" "$work/screen"
}
wait_screen() { poll "$1" 0.2 screen_shows "$2"; }

# Starts the shell command $4 in a COLUMNS ($2) x ROWS ($3) pane of the tmux server $1, a server
# of this script's own that stops with it. Exits 77 when tmux is missing.
start_in_tmux() {
    command -v tmux > /dev/null || { echo "tmux is not installed"; exit 77; }
    tmux_server=$1
    stop() { tmux -L "$tmux_server" kill-server 2> /dev/null; }
    export LANG=C.UTF-8
    tmux -L "$1" -f /dev/null new-session -d -s game -x "$2" -y "$3" "$4"
}
