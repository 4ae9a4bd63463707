#!/usr/bin/env bash
# Packs the build as a Debian package and checks what a user of it gets: the control fields
# (section, dependencies found by dpkg-shlibdeps), the layout Debian wants for a game, the
# installed programs run from a throwaway root made with `dpkg -x`, the compressed manual pages
# rendering without a warning, the copyright file and changelog, and lintian reporting no error
# where lintian is there. Exits 77 (skipped) where dpkg-deb, dpkg-shlibdeps or cpack is missing.
# Usage: install_deb.sh BUILD_DIR VERSION GOLDEN_FRAME CPACK
set -uo pipefail
build=$1 version=$2 golden=$3 cpack=$4
for tool in dpkg-deb dpkg-shlibdeps "$cpack"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=../check.sh
source "$(dirname "$0")/../check.sh"

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAILED: cpack made no Debian package"
    exit 1
fi
deb=$(echo "$work"/out/*.deb)
check "the package is named as Debian names it" \
    test "$(basename "$deb")" = "mazecast_${version}_$(dpkg --print-architecture).deb"
field() { dpkg-deb --field "$deb" "$1"; }
check "Version is the project's" test "$(field Version)" = "$version"
check "Section is games" test "$(field Section)" = games
depends_on() { [[ ", $(field Depends)" == *", $1 (>= "[0-9]* ]]; }
for library in libc6 libstdc++6; do
    check "Depends names $library with a version" depends_on "$library"
done
check "the description has a summary and a body" \
    bash -c "[ \"\$(dpkg-deb --field '$deb' Description | wc -l)\" -gt 2 ]"

root=$work/root
dpkg -x "$deb" "$root"
check "the programs are in /usr/games and nowhere else" \
    test "$(cd "$root" && find . -type f -perm -u+x | sort | tr '\n' ' ')" \
    = "./usr/games/mazecast ./usr/games/mazecast-headless ./usr/games/mazecast-render "
check "the installed mazecast-render --version names the version" \
    test "$("$root/usr/games/mazecast-render" --version)" = "mazecast-render $version"
frame=$("$root/usr/games/mazecast-render" --map 1 --x 6 --y 6 --angle 180; echo "[exit $?]")
check "the installed renderer draws demo 1's first frame" test "$frame" = "$(cat "$golden")"

for page in man6/mazecast.6 man1/mazecast-render.1 man1/mazecast-headless.1; do
    file="$root/usr/share/man/$page.gz"
    check "$page is compressed as Debian wants (gzip -9n: no name, no time)" \
        bash -c "gzip -t '$file' && [ \"\$(od -An -tu4 -j4 -N4 '$file' | tr -d ' ')\" = 0 ]"
    check "$page carries the version" bash -c "zcat '$file' | grep -q 'mazecast $version'"
    if command -v groff >/dev/null; then
        check "$page renders without a warning" \
            bash -c "[ -f '$file' ] && [ -z \"\$(zcat '$file' | groff -ww -z -man -Tutf8 2>&1)\" ]"
    fi
done

doc=$root/usr/share/doc/mazecast
check "the changelog's newest entry is this version" \
    bash -c "zcat '$doc/changelog.gz' | head -1 | grep -qF 'mazecast ($version)'"
check "the copyright file carries the MIT licence as Expat" \
    bash -c "grep -q '^License: Expat$' '$doc/copyright' &&
             grep -q '^ Permission is hereby granted' '$doc/copyright'"
check "the README is in the documents" test -s "$doc/README.md"

if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
    failure_detail() { [ -s "$work/lintian.log" ] && printf '\n%s' "$(cat "$work/lintian.log")"; }
    check "lintian reports no error and no warning" \
        bash -c "! grep -Eq '^[EW]: ' '$work/lintian.log'"
else
    echo "lintian is not installed: its check is left out"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
