#!/usr/bin/env bash
# Time from start to a visible menu, in tmux. tmux answers the device-attributes query that
# closes the start-up probe but not the keyboard-protocol query, so this also shows that the
# probe waits no longer than the terminal's answers take. strace (syscall filter, so nearly
# free) stamps the game's exec and its writes; the time is from the exec to the write that
# puts the menu on the screen.
#   bench/startup_time.sh [PATH/TO/mazecast] [RUNS]
set -euo pipefail
program=$(realpath "${1:-build/mazecast}")
runs=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for run in $(seq "$runs"); do
  socket="mazecast-startup-$$-$run"
  tmux -L "$socket" -f /dev/null new-session -d -s startup -x 120 -y 40 \
    "LANG=C.UTF-8 exec strace -ttt --seccomp-bpf -e trace=execve,write -o $work/trace.$run $program"
  sleep 1
  tmux -L "$socket" kill-server >/dev/null 2>&1 || true
done

for trace in "$work"/trace.*; do
  awk '/execve\(/ { start = $1 } /write\(1, .*Run DEMO 1/ { printf "%.1f\n", ($1 - start) * 1000; exit }' "$trace"
done | sort -n | awk '{ a[NR] = $1 } END {
  printf "start to menu over %d runs: min %.1f ms, median %.1f ms, max %.1f ms\n",
    NR, a[1], a[int((NR + 1) / 2)], a[NR] }'
