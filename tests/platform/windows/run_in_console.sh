#!/usr/bin/env bash
# Runs a command in a console backed by a terminal (a detached tmux pane of its own tmux server),
# so that a console program sees a real console even when ctest captures its output. The command's
# standard output and error go to a log that is printed when it ends; its exit status is returned.
#   run_in_console.sh COLUMNS ROWS TIMEOUT-SECONDS COMMAND...
# Exits 77 when tmux is missing.
set -uo pipefail
columns=$1 rows=$2 timeout=$3
shift 3
source "$(dirname "$0")/harness.sh"

printf -v quoted '%q ' "$@"
start_in_tmux "mazecast-console-$$" "$columns" "$rows" \
    "$quoted > $work/log 2>&1; echo \$? > $work/status"
poll "$timeout" 0.2 test -s "$work/status"
cat "$work/log" 2> /dev/null
if [ ! -s "$work/status" ]; then
    echo "run_in_console: no exit within ${timeout}s"
    exit 1
fi
exit "$(cat "$work/status")"
