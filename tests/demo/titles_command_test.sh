#!/usr/bin/env bash
# zx titles on the demo's data root: the tree, a title's fields, a title filled in as a picture,
# and the clear errors for an unknown field and a missing title.
# Usage: titles_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zx" demo "$work/data" >/dev/null
tree=$("$zx" titles tree --home "$work/data")
echo "$tree"
echo "$tree" | grep '^Titles$' >/dev/null || fail "no Titles group"
echo "$tree" | grep '^  Studio$' >/dev/null || fail "no Studio folder node"
echo "$tree" | grep '^    Location  \[title\]' >/dev/null || fail "no Location title below Studio"
echo "$tree" | grep 'Evening show  \[sequence\]' >/dev/null || fail "no demo sequence"
"$zx" titles tree --home "$work/data" --json | grep '"type": "banner"' >/dev/null || fail "no banner in the JSON tree"

fields=$("$zx" titles fields --home "$work/data" "Titr/Score.zxs")
echo "$fields"
echo "$fields" | grep '4 fields' >/dev/null || fail "Score should have four fields of its six frames"

"$zx" titles render --home "$work/data" "Titr/Name and role.zxs" --field "Name=Иван Петров" --field "Role=Editor" \
  --png "$work/t.png" >"$work/out.txt"
grep -q '\[Name\]:\[Иван Петров\],\[Role\]:\[Editor\]' "$work/out.txt" || fail "summary: $(cat "$work/out.txt")"
[ -s "$work/t.png" ] || fail "no picture"

set +e
"$zx" titles render --home "$work/data" "Titr/Name and role.zxs" --field "Nmae=x" --png "$work/u.png" 2>"$work/err.txt"
rc=$?
set -e
[ $rc -eq 2 ] || fail "an unknown field gave $rc"
grep -q 'has no field "Nmae"' "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
[ ! -e "$work/u.png" ] || fail "a picture was written for a bad field"
set +e
"$zx" titles fields --home "$work/data" "Titr/None.zxs" 2>"$work/err.txt"
rc=$?
set -e
[ $rc -eq 1 ] || fail "a missing title gave $rc"
grep -q 'Error opening file' "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
# Played headless: the filled title goes on air with its own show time and its air-log line.
"$zx" titles play --home "$work/data" "Titr/Breaking news.zxs" --field "Headline=Storm warning" --time-scale 20 \
  >"$work/play.txt" 2>&1 || { cat "$work/play.txt"; fail "titles play"; }
grep -q 'fields \[Headline\]:\[Storm warning\]' "$work/play.txt" || fail "play: $(cat "$work/play.txt")"
grep -q 'playout 1 done' "$work/play.txt" || fail "the title did not play to its end"
grep -q -- '-> Titles/Breaking news.zxg -> \[Headline\]:\[Storm warning\]' "$work/data/airlog.txt" || fail "no titles line"
grep -q ' 10 Titles/Breaking news.zxg' "$work/data/airlog.txt" || fail "the page line: $(cat "$work/data/airlog.txt")"
echo "zx titles: ok"
