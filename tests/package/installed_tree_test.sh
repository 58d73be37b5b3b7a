#!/usr/bin/env bash
# `cmake --install` into a fresh prefix: the desktop entry and the AppStream metainfo pass
# Debian's own checkers, the entry's program and icon are there at every size it names, and the
# installed renderer, started from / by its full path, finds the installed data and draws the
# build tree's frame.
# Usage: installed_tree_test.sh BUILD_DIR
set -euo pipefail
build="$1"
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

entry="$prefix/share/applications/kaikuranta.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
# validate-tree reads the metainfo together with the desktop entry it launches.
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed metainfo"

program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$prefix/bin/$program" ] || fail "the entry starts '$program', which is not in bin/"
icon=$(sed -n 's/^Icon=//p' "$entry")
for size in 16 32 48 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no $size px icon '$icon'"
  # Width and height from the PNG's header.
  read -r width height < <(od -An -j16 -N8 -tu1 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width $height" = "$size $size" ] || fail "the $size px icon is ${width}x$height"
done

at=29.0
ours=$(cd "$build" && tools/render/kaikuranta-render --digest --at $at)
installed=$(cd / && "$prefix/bin/kaikuranta-render" --digest --at $at) ||
  fail "the installed renderer failed from /"
[ -n "$ours" ] && [ "$ours" = "$installed" ] ||
  fail "the installed renderer's frame at $at s: '$installed', the build's '$ours'"
echo "PASS"
