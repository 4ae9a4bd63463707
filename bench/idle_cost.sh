#!/usr/bin/env bash
# What the game costs while nothing happens: bytes per second it sends to the terminal and the
# share of one core it uses, in tmux, with the menu shown and then with the settings prompt
# waiting for a width. The bytes are counted with tmux's pipe-pane, the CPU time is the
# process's own (schedstat, nanoseconds).
#   bench/idle_cost.sh [PATH/TO/mazecast] [SECONDS]
set -euo pipefail
program=$(realpath "${1:-build/mazecast}")
seconds=${2:-10}
work=$(mktemp -d)
socket="mazecast-idle-$$"
tmx() { tmux -L "$socket" -f /dev/null "$@"; }
trap 'tmx kill-server >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

wait_for() {
  for _ in $(seq 100); do
    tmx capture-pane -p | grep -q -- "$1" && return 0
    sleep 0.1
  done
  echo "the game never showed '$1'" >&2
  exit 1
}

cpu_ns() { cut -d' ' -f1 "/proc/$(cat "$work/pid")/schedstat"; }

measure() {  # measure NAME: bytes/s and CPU share over $seconds
  sleep 1  # the screen is drawn and the game is waiting
  local bytes_before cpu_before cpu_after bytes_after
  bytes_before=$(stat -c %s "$work/pane")
  cpu_before=$(cpu_ns)
  sleep "$seconds"
  cpu_after=$(cpu_ns)
  bytes_after=$(stat -c %s "$work/pane")
  awk -v name="$1" -v b=$((bytes_after - bytes_before)) -v c=$((cpu_after - cpu_before)) \
      -v s="$seconds" 'BEGIN { printf "%-14s %8.1f B/s  %6.3f%% CPU\n", name, b / s, c / s / 1e7 }'
}

tmx new-session -d -x 120 -y 40 \
  "LANG=C.UTF-8 sh -c 'echo \$\$ > $work/pid; exec $program'"
tmx pipe-pane -o "cat >> $work/pane"
wait_for 'Run DEMO 1'
measure "idle menu"
for _ in 1 2 3; do tmx send-keys Down; sleep 0.3; done
tmx send-keys Enter
wait_for 'Width?'
measure "idle prompt"
