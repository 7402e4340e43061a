#!/usr/bin/env bash
# zx chat on the demo's template and script, headless on the embedded Device with the modem
# simulator inside zx; zx chat filter on the demo's word filter; and the refusals.
# Usage: chat_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zx" demo "$work/data" >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "zx demo"; }
for f in "Titr/SMS chat.zxs" "Pages/SMS chat.zxg" filter.dat "Text/SMS chat demo.txt"; do
  grep -q "$f" "$work/demo.txt" || fail "no $f"
done
ini=$(cat "$work/data/ZENTRIX.INI")
for k in "ITV=1" "ITVModel=2" "COM2=sim" "SimScript=Text/SMS chat demo.txt" "FastMode=1"; do
  grep -q "$k" <<<"$ini" || fail "ZENTRIX.INI lacks $k"
done

[ "$("$zx" chat filter --home "$work/data" "Buy SPAM now, дурак!")" = "Buy **** now, *****!" ] || fail "filter"
[ "$("$zx" chat filter --home "$work/data" --partial "spammers")" = "****mers" ] || fail "partial"
[ "$("$zx" chat filter --home "$work/data" --delete "no spam here")" = "no  here" ] || fail "delete"

cp "$work/data/ZENTRIX.INI" "$work/ini.before"
"$zx" chat --home "$work/data" "Titr/SMS chat.zxs" --count 2 --time-scale 10 >"$work/chat.txt" 2>&1 ||
  { cat "$work/chat.txt"; fail "zx chat"; }
grep -q "status: OK: " "$work/chat.txt" || { cat "$work/chat.txt"; fail "the modem did not answer"; }
grep -q "+ #1 Queued .* +38164111222: Good evening, studio!" "$work/chat.txt" || { cat "$work/chat.txt"; fail "message 1"; }
grep -q "~ #1 Shown" "$work/chat.txt" || fail "not shown"
grep -q "on-air" "$work/chat.txt" || fail "never on air"
grep -q "^2 messages shown$" "$work/chat.txt" || fail "summary"
cmp -s "$work/ini.before" "$work/data/ZENTRIX.INI" || fail "the settings file was written"

if "$zx" chat --home "$work/data" "Titr/missing.zxs" >"$work/bad.txt" 2>&1; then fail "a missing template"; fi
grep -q "Error opening file:" "$work/bad.txt" || { cat "$work/bad.txt"; fail "no 3000 message"; }
echo "OK"
