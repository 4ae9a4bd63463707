#!/usr/bin/env bash
# No program of the game starts another process: none of them imports system, popen, an exec
# function, posix_spawn or fork. Clearing the screen and setting colours are done in-process.
#   no_shell.sh PROGRAM...
set -uo pipefail
forbidden='^(system|popen|_popen|execl|execle|execlp|execv|execve|execvp|execvpe|fexecve|posix_spawn|posix_spawnp|fork|vfork)(@.*)?$'
status=0
for program in "$@"; do
  imported=$(nm -D --undefined-only "$program" | awk '{print $NF}')
  if [ -z "$imported" ]; then
    echo "FAILED: no imported symbols read from $program"
    status=1
    continue
  fi
  hits=$(grep -E "$forbidden" <<<"$imported" || true)
  if [ -n "$hits" ]; then
    echo "FAILED: $(basename "$program") imports: $(tr '\n' ' ' <<<"$hits")"
    status=1
  else
    echo "ok: $(basename "$program") imports no way to start a process"
  fi
done
exit "$status"
