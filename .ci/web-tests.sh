#!/usr/bin/env bash
# The web build: Emscripten into build-web/ and its tests in Node.js and headless Chromium.
# Installs Emscripten and Chromium when they are missing and playwright-core from the lock file
# (no browser download: Debian's Chromium is driven), makes sure the native render tool is there
# for the frame comparison, builds with `make web` and runs the web preset's ctest suite.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build make python3 g++ emscripten chromium)
# The machine's own Node.js may come from elsewhere than Debian; any `node` and `npm` will do.
command -v node > /dev/null || packages+=(nodejs)
command -v npm > /dev/null || packages+=(npm)
source .ci/install-missing.sh
install_missing "${packages[@]}"

(cd tests/platform/web && npm ci --no-audit --no-fund --loglevel=error)

# The frames of the web build are compared with the native tool's.
preset=$([ -n "${CI:-}" ] && echo ci || echo default)
if [ ! -x build/mazecast-render ]; then
  cmake --preset "$preset"
  cmake --build --preset "$preset" --target mazecast-render
fi

make web
ctest --preset web
