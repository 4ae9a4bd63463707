#!/usr/bin/env bash
# Runs a command in a console backed by a terminal (a detached tmux pane of its own tmux server),
# so that a console program sees a real console even when ctest captures its output. The command's
# standard output and error go to a log that is printed when it ends; its exit status is returned.
#   run_in_console.sh COLUMNS ROWS TIMEOUT-SECONDS COMMAND...
# Exits 77 when tmux is missing.
set -uo pipefail
columns=$1 rows=$2 timeout=$3
shift 3
command -v tmux > /dev/null || { echo "tmux is not installed"; exit 77; }

work=$(mktemp -d)
server="mazecast-console-$$"
cleanup() {
    tmux -L "$server" kill-server 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export LANG=C.UTF-8
printf -v quoted '%q ' "$@"
tmux -L "$server" -f /dev/null new-session -d -x "$columns" -y "$rows" \
    "$quoted > $work/log 2>&1; echo \$? > $work/status"

deadline=$((SECONDS + timeout))
while [ ! -s "$work/status" ] && [ "$SECONDS" -lt "$deadline" ]; do
    sleep 0.2
done
cat "$work/log" 2> /dev/null
if [ ! -s "$work/status" ]; then
    echo "run_in_console: no exit within ${timeout}s"
    exit 1
fi
exit "$(cat "$work/status")"
