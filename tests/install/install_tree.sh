#!/usr/bin/env bash
# Installs the build into a throwaway prefix and checks what a user gets: the three programs and
# nothing else in bin/, the tools' --version, one frame from the installed renderer, the manual
# pages (rendered without a warning where groff is there) and the documents.
# Usage: install_tree.sh BUILD_DIR VERSION GOLDEN_FRAME
set -uo pipefail
build=$1 version=$2 golden=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

# shellcheck source=../check.sh
source "$(dirname "$0")/../check.sh"

cmake --install "$build" --prefix "$prefix" >/dev/null
check "bin/ holds the game and the two tools, nothing else" \
    test "$(ls "$prefix/bin" | tr '\n' ' ')" = "mazecast mazecast-headless mazecast-render "
for tool in mazecast-render mazecast-headless; do
    check "$tool --version names the project's version" \
        test "$("$prefix/bin/$tool" --version)" = "$tool $version"
    check "$tool --help says its usage and exits 0" \
        bash -c "'$prefix/bin/$tool' --help | grep -q '^usage: $tool'"
done
frame=$("$prefix/bin/mazecast-render" --map 1 --x 6 --y 6 --angle 180; echo "[exit $?]")
check "the installed renderer draws demo 1's first frame" test "$frame" = "$(cat "$golden")"
for page in man6/mazecast.6 man1/mazecast-render.1 man1/mazecast-headless.1; do
    file="$prefix/share/man/$page"
    check "$page is installed with the version" grep -q "mazecast $version" "$file"
    if command -v groff >/dev/null; then
        check "$page renders without a warning" \
            bash -c "[ -z \"\$(groff -ww -z -man -Tutf8 '$file' 2>&1)\" ]"
    fi
done
for doc in README.md LICENSE; do
    check "share/doc/mazecast/$doc is installed" test -s "$prefix/share/doc/mazecast/$doc"
done
if [ -d "$prefix/include" ] || [ -d "$prefix/lib" ]; then
    check "no headers or libraries are installed" false
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
