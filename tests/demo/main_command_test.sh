#!/usr/bin/env bash
# The README's main command (scripts/run) on a fresh data folder without a display, with the
# programs of a build: it must make the demo data root, play the demo sequence on the virtual
# Device and leave the pictures of the program output in the folder it names.
# Usage: main_command_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ZENTRIX_BUILD="$build" ZENTRIX_TIME_SCALE=20 \
     "$src/scripts/run" "$work/data" >"$work/out.txt" 2>&1; then
  cat "$work/out.txt"
  echo "FAIL: scripts/run ended with an error"
  exit 1
fi
cat "$work/out.txt"
fail() { echo "FAIL: $*"; exit 1; }

[ -f "$work/data/ZENTRIX.INI" ] || fail "no settings file"
[ -f "$work/data/Sequences/Evening show.zxs" ] || fail "no demo sequence"
grep -q "playout 1 done" "$work/out.txt" || fail "the sequence did not play to its end"
grep -q "^air log: " "$work/out.txt" || fail "no air log lines"
snaps=$(sed -n 's/^Pictures of the program output: //p' "$work/out.txt")
[ -n "$snaps" ] && [ -d "$snaps" ] || fail "no snapshots folder named"
count=$(find "$snaps" -name '*.png' | wc -l)
[ "$count" -ge 6 ] || fail "only $count snapshots in $snaps"

# A second run finds the data root and leaves its files alone.
before=$(cd "$work/data" && find Pages Sequences Fonts -type f -exec md5sum {} + | sort)
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ZENTRIX_BUILD="$build" ZENTRIX_TIME_SCALE=20 \
    "$src/scripts/run" "$work/data" >"$work/out2.txt" 2>&1 || { cat "$work/out2.txt"; fail "second run"; }
grep -q "Making" "$work/out2.txt" && fail "the data root was made again"
after=$(cd "$work/data" && find Pages Sequences Fonts -type f -exec md5sum {} + | sort)
[ "$before" = "$after" ] || fail "the second run changed the data"
echo "OK: $count snapshots"
