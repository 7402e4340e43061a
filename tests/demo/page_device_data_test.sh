#!/usr/bin/env bash
# zx page device-data on the demo's pages: every page's still comes back as a 720 x 576 picture,
# and the pages with moving text (the crawl, the roll) give the chunks of their strips.
# Usage: page_device_data_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zx" demo "$work/data" >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "zx demo"; }
pages=0
moving=0
for page in "$work/data/Pages/"*.zxg; do
  out="$work/device/$(basename "$page" .zxg)"
  "$zx" page device-data "$page" --out "$out" >"$work/out.txt" 2>&1 || { cat "$work/out.txt"; fail "$page"; }
  cat "$work/out.txt"
  grep -q "still.png: 720 x 576$" "$work/out.txt" || fail "no still of $page"
  [ -s "$out/still.png" ] || fail "no still.png for $page"
  [ -s "$out/chunk0.png" ] && moving=$((moving + 1))
  pages=$((pages + 1))
done
[ "$pages" -ge 6 ] || fail "only $pages demo pages"
[ "$moving" -ge 2 ] || fail "only $moving pages with a strip"
# A file that is no page is refused with the reader's message and status.
echo "not a page" >"$work/bad.zxg"
if "$zx" page device-data "$work/bad.zxg" --out "$work/bad" >"$work/bad.txt" 2>&1; then
  fail "a damaged page was accepted"
fi
echo "OK: $pages pages, $moving with a strip"
