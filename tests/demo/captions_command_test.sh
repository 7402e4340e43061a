#!/usr/bin/env bash
# zx captions on the demo's caption page and titles file: the list with its show times, a caption
# rendered into its box, a short headless play on the embedded Device, and the refusals.
# Usage: captions_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zx" demo "$work/data" >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "zx demo"; }
grep -q "Pages/Captions.zxg" "$work/demo.txt" || fail "no caption page"
grep -q "Text/Captions.txt" "$work/demo.txt" || fail "no titles file"

"$zx" captions list --home "$work/data" Text/Captions.txt >"$work/list.txt" 2>&1 || { cat "$work/list.txt"; fail "list"; }
cat "$work/list.txt"
grep -q "^   1    6840 ms  Good evening and welcome to the news$" "$work/list.txt" || fail "caption 1"
grep -q "Добрый вечер! / Вы смотрите вечерние новости" "$work/list.txt" || fail "the Russian caption"
grep -q "^12 captions$" "$work/list.txt" || fail "not a dozen captions"
"$zx" captions list --time-base 0 "$work/data/Text/Captions.txt" | grep "^   1    1140 ms" >/dev/null || fail "--time-base"

"$zx" captions render --home "$work/data" Pages/Captions.zxg Text/Captions.txt --index 2 --png "$work/c2.png" \
  >"$work/render.txt" 2>&1 || { cat "$work/render.txt"; fail "render"; }
grep -q "caption 2, 8100 ms, box 60,464 600x96, filtered" "$work/render.txt" || { cat "$work/render.txt"; fail "render text"; }
[ -s "$work/c2.png" ] || fail "no picture"

"$zx" captions play --home "$work/data" Pages/Captions.zxg Text/Captions.txt --count 2 --fast --gap 800 \
  --time-scale 20 >"$work/play.txt" 2>&1 || { cat "$work/play.txt"; fail "play"; }
grep -q "F2: caption 2/12" "$work/play.txt" || { cat "$work/play.txt"; fail "the second caption"; }
grep -q "stopping" "$work/play.txt" || fail "fast mode did not replace the caption"
grep -q "^2 captions shown$" "$work/play.txt" || fail "play summary"

# A titles file that cannot be read: message 3000 and status 1.
if "$zx" captions list "$work/missing.txt" >"$work/bad.txt" 2>&1; then fail "a missing file was listed"; fi
grep -q "Error opening file:" "$work/bad.txt" || fail "no 3000 message"
echo "not a page" >"$work/bad.zxg"
if "$zx" captions render "$work/bad.zxg" "$work/data/Text/Captions.txt" --png "$work/x.png" >/dev/null 2>&1; then
  fail "a damaged page was rendered"
fi
echo "OK"
