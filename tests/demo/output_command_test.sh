#!/usr/bin/env bash
# zx play --output on the demo's data folder: bad options are refused before anything plays, with
# the sink named; a page plays into a recording and a key/fill pair, each with its frame count.
# Usage: output_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
home=$work/data
"$zx" demo "$home" >/dev/null 2>&1 || fail "zx demo"
page="Pages/Weather.zxg"

refused() {  # expected status, expected text, arguments...
  local want=$1 text=$2
  shift 2
  set +e
  "$zx" play --home "$home" "$page" --time-scale 10 "$@" >"$work/out.txt" 2>"$work/err.txt"
  local rc=$?
  set -e
  [ "$rc" = "$want" ] || { cat "$work/err.txt"; fail "$* gave status $rc, not $want"; }
  grep -q -- "$text" "$work/err.txt" || { cat "$work/err.txt"; fail "$*: no '$text'"; }
  ! grep -q "in-effect" "$work/out.txt" || fail "$*: it played"
}
refused 2 "unknown video codec nosuch" --output "$work/a.mov" --output-codec nosuch
refused 2 "unknown format nosuch" --output "$work/a.mov" --output-format nosuch
refused 2 "comes after the --output" --output-codec qtrle --output "$work/a.mov"
refused 2 "25 or 50" --output "$work/a.mov" --output-rate 30
refused 2 "keeps no alpha" --output "$work/a.mkv" --output-background none
refused 2 "output $work/b.xyz" --output "$work/a.mov" --output "$work/b.xyz"
refused 1 "output $work/no/such/a.mov: cannot open" --output "$work/a.mov" --output "$work/no/such/a.mov"
if "$zx" play --home "$home" "$page" --device 127.0.0.1:1 --output "$work/a.mov" 2>"$work/err.txt"; then
  fail "output from a Device at an address"
fi
grep -q "embedded Device only" "$work/err.txt" || fail "the Device at an address"

# A page for two seconds on air into a recording with alpha and a key/fill pair.
"$zx" play --home "$home" "$page" --duration 2 --time-scale 10 --output "$work/page.mov" --output-background none \
  --output "$work/kf.mov" --output-format keyfill >"$work/run.txt" 2>&1 || { cat "$work/run.txt"; fail "play"; }
for f in page.mov kf-fill.mov kf-key.mov; do
  grep -q "^output $work/$f: [0-9]* frames, 0 dropped" "$work/run.txt" || { cat "$work/run.txt"; fail "$f line"; }
  [ -s "$work/$f" ] || fail "$f is empty"
done
n=$(sed -n "s|^output $work/page.mov: \([0-9]*\) frames.*|\1|p" "$work/run.txt")
[ "$n" -ge 50 ] || fail "only $n frames for two seconds on air"
[ "$n" = "$(sed -n "s|^output $work/kf-key.mov: \([0-9]*\) frames.*|\1|p" "$work/run.txt")" ] || fail "key and fill differ"
echo "ok: $n frames"
