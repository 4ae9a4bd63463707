#!/usr/bin/env bash
# The Windows build, cross-compiled with mingw-w64 into build-windows/ and tested under wine:
# installs the cross compiler and wine when they are missing, builds with the `windows` preset and
# runs its ctest suite with a throwaway wine prefix and a wine server kept up for the whole run.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build make python3 tmux libgtest-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool)
source .ci/install-missing.sh
install_missing "${packages[@]}"

cmake --preset windows
cmake --build --preset windows

# A prefix of its own, so no state is shared with other runs; wine's own chatter is silenced.
WINEPREFIX=$(mktemp -d /tmp/mazecast-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap stop_wine EXIT
# A persistent server started by hand with its output elsewhere: a server started by the first
# test would inherit ctest's output pipe and keep ctest waiting after the last test.
wineserver -p > /dev/null 2>&1
wineboot -i > /dev/null 2>&1 || true

# A wine process that fails to start now and then is wine's, not the game's: a failed test is
# run once more before it counts.
ctest --preset windows -j"$(nproc)" --repeat until-pass:2
