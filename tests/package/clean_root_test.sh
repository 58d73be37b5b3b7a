#!/usr/bin/env bash
# The Linux package on a clean Debian 12 root that has none of the build's packages: unpacked,
# its programs name no library the root lacks, the show plays on the root's own X server and GL
# driver and ends on Escape with status 0 having drawn, and the renderer there draws the same
# frame, to the bit, as the build tree's.
# Usage (as root): clean_root_test.sh TARBALL BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# In mount and network namespaces of its own: the root's mounts leave with the test, whatever
# happens, and the X server's abstract socket is seen by this test alone (X clients try it
# first, so a display of the same number elsewhere on the machine would otherwise answer).
[ -n "${KK_OWN_NAMESPACES:-}" ] || exec env KK_OWN_NAMESPACES=1 unshare --mount --net --propagation private "$0" "$@"
tarball="$1"
build="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$tarball" ] || fail "no package at $tarball: run scripts/package-linux"
[ "$(id -u)" -eq 0 ] || fail "needs root, for chroot and mounts"

root=$("$here/../../scripts/clean-root")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
tar -xzf "$tarball" -C "$work"
[ -x "$work/kaikuranta/bin/kaikuranta" ] || fail "the package holds no kaikuranta/bin/kaikuranta"

# The cached root stays as it is: the package is mounted over its /opt, its /tmp is fresh.
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount -t tmpfs tmpfs "$root/tmp"
mount --bind "$work/kaikuranta" "$root/opt"
inroot() { chroot "$root" env -i PATH=/usr/bin:/bin HOME=/tmp "$@"; }

for program in kaikuranta kaikuranta-render; do
  libs=$(inroot ldd "/opt/bin/$program")
  if grep -q 'not found' <<<"$libs"; then fail "$program in the clean root: $(grep 'not found' <<<"$libs")"; fi
done

# The root's Xvfb; its abstract socket is reachable from out here, so the harness sends keys and
# takes the screenshot without adding anything to the root.
# Started by exec, so the pid is the server's own and it holds none of the caller's output.
( exec chroot "$root" env -i PATH=/usr/bin:/bin HOME=/tmp \
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp ) 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start in the root: $(cat "$work/xvfb.log")"
export DISPLAY=":$(cat "$work/display")"

# No sound server and no ALSA in the root: the show plays silent, as on a desktop without sound.
# It starts from / to show that it finds its data from where it is.
( cd / && exec chroot "$root" env -i PATH=/usr/bin:/bin HOME=/tmp DISPLAY="$DISPLAY" \
    /opt/bin/kaikuranta ) >"$work/show.log" 2>&1 &
show=$!
pids+=($show)
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Kaikuranta$' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  kill -0 "$show" 2>/dev/null || fail "the show ended before its window opened: $(cat "$work/show.log")"
  sleep 0.1
done
[ -n "$window" ] || fail "no show window in 30 s: $(cat "$work/show.log")"
sleep 5
xwd -root -silent >"$work/screen.xwd"
# The show ends on the key going down; the window may be gone before the key comes up.
xdotool keydown --window "$window" Escape
sleep 0.2
xdotool keyup --window "$window" Escape 2>/dev/null || true
status=0
for _ in $(seq 300); do kill -0 "$show" 2>/dev/null || break; sleep 0.1; done
kill -0 "$show" 2>/dev/null && fail "the show still runs 30 s after Escape"
wait "$show" || status=$?
[ "$status" -eq 0 ] || fail "the show exited with $status: $(cat "$work/show.log")"

# Drawn: the screenshot's pixels (after the XWD header and its colour table; 32 bits each, blue,
# green, red and a pad byte) are not all near black.
field() { od -An -j"$1" -N4 -tu1 "$work/screen.xwd" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4 }'; }
header=$(field 0) colours=$(field 76) byteorder=$(field 28) bpp=$(field 44)
[ "$byteorder $bpp" = "0 32" ] || fail "a screenshot of byte order $byteorder and $bpp bits per pixel"
lit=$(tail -c +$((header + colours * 12 + 1)) "$work/screen.xwd" | od -An -v -tu1 -w4 |
      awk '$1 + $2 + $3 > 96 { n++ } END { print n + 0 }')
echo "lit pixels after 5 s: $lit of 307200"
[ "$lit" -gt 30000 ] || fail "the show drew $lit lit pixels in 5 s: $(cat "$work/show.log")"

# One frame rendered in the root equals the build tree's: same data, same GL, same pixels.
at=29.0
ours=$(cd "$build" && tools/render/kaikuranta-render --digest --at $at)
theirs=$(cd / && inroot /opt/bin/kaikuranta-render --digest --at $at 2>"$work/render.log") ||
  fail "the renderer failed in the root: $(cat "$work/render.log")"
echo "digest at $at s: $theirs"
[ -n "$ours" ] && [ "$ours" = "$theirs" ] || fail "the root's frame at $at s differs: '$theirs', the build's '$ours'"
echo "PASS"
