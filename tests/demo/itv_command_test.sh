#!/usr/bin/env bash
# zx itv on the demo's vote: the file as JSON, a new system from the demo's page (and the
# refusals of the wizard), the settings, votes counted in simulated time with their log, the
# picture rendered, a short headless run without hardware, and one on the simulated USB adapter's
# library rung by zx voiceboard.
# Usage: itv_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$zx" demo "$work/data" >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "zx demo"; }
for f in Pages/Vote.zxg ITV/Vote.zxi; do grep -q "$f" "$work/demo.txt" || fail "no $f"; done
grep -q "FileName=ITV/Vote.zxi" "$work/data/ZENTRIX.INI" || fail "no [ITV] FileName"
sys="$work/data/ITV/Vote.zxi"

"$zx" itv info "$sys" >"$work/info.json"
grep -q '"answers": 3' "$work/info.json" || { cat "$work/info.json"; fail "info answers"; }
grep -q '"keywords": \["TEA", "COFFEE", "JUICE"' "$work/info.json" || fail "info keywords"
grep -q '"2:2": "Bar3"' "$work/info.json" || fail "info bindings"
printf 'ZITV\001\000\001\000' >"$work/bad.zxi"
if "$zx" itv info "$work/bad.zxi" 2>"$work/bad.txt"; then fail "a damaged file"; fi
grep -q "Read error - invalid file format" "$work/bad.txt" || { cat "$work/bad.txt"; fail "no 3002"; }

# The wizard: every frame once; the texts come from the bound frames.
"$zx" itv new --home "$work/data" Vote.zxg --answers 2 --bind 0:0=Answer1 --bind 0:1=Answer2 --bind 1:0=Key1 \
  --bind 3:0=Votes1 --bind 6:0=Question --out "$work/new.zxi" >/dev/null
"$zx" itv info "$work/new.zxi" | grep -q '"answerTexts": \["Tea", "Coffee"' || fail "new: answer texts"
"$zx" itv info "$work/new.zxi" | grep -q '"lineTable": \[1, 2, 0' || fail "new: line table"
"$zx" itv info "$work/new.zxi" | grep -q '"page": "Vote.zxg"' || fail "new: relative page path"
if "$zx" itv new --home "$work/data" Vote.zxg --answers 2 --bind 3:0=Votes1 --bind 4:0=Votes1 \
  --out "$work/twice.zxi" 2>"$work/twice.txt"; then fail "a frame bound twice"; fi
grep -q "Frame Votes1 has more than one binding!" "$work/twice.txt" || fail "no 16028"
if "$zx" itv new --home "$work/data" Vote.zxg --answers 1 --bind 3:0=Nothing --out "$work/x.zxi" 2>"$work/nf.txt"; then
  fail "a missing frame"
fi
grep -q "Frame Nothing not found!" "$work/nf.txt" || fail "no 16038"

# The settings sheet.
"$zx" itv set "$work/new.zxi" --question "Tea or coffee?" --decimals 2 --line 2=1 --keyword 2=JAVA
"$zx" itv info "$work/new.zxi" | grep -q '"decimals": 2' || fail "set decimals"
"$zx" itv info "$work/new.zxi" | grep -q '"lineTable": \[1, 1, 0' || fail "set line"
if "$zx" itv set "$work/new.zxi" --decimals 3 2>/dev/null; then fail "decimals 3"; fi

# Votes in simulated time: a duplicate, an unused line, SMS in lower case and without keyword.
cat >"$work/votes.txt" <<'V'
button 1
call 1 5551001
wait 1000
call 2 5551001
call 5 5559999
sms +38164222333 i want juice
sms +38164222334 nothing at all
button 2
V
"$zx" itv count "$sys" --votes "$work/votes.txt" --start 2026-12-09T20:15:00 --log "$work/log.txt" >"$work/count.txt"
grep -q "^answer 1 Tea .* 2  50.0 %$" "$work/count.txt" || { cat "$work/count.txt"; fail "count answer 1"; }
grep -q "^total 4$" "$work/count.txt" || fail "count total"
grep -q "^logged 6$" "$work/count.txt" || fail "count logged"
grep -q "^sms 2$" "$work/count.txt" || fail "count sms"
grep -q "Date: 09.12.26" "$work/log.txt" || fail "log date"
grep -q "   3  09.12.26 20:15:01   0     2    5551001        \*" "$work/log.txt" || { cat "$work/log.txt"; fail "log duplicate"; }
grep -q "   4  09.12.26 20:15:01   0     5    5559999" "$work/log.txt" || fail "log unused line"

"$zx" itv render --home "$work/data" "$sys" --votes 3,1,0 --no-clock --png "$work/vote.png" | grep -q "total 4" || fail "render"
[ -s "$work/vote.png" ] || fail "no picture"

cp "$work/data/ZENTRIX.INI" "$work/ini.before"
"$zx" itv run --home "$work/data" ITV/Vote.zxi --hardware none --for 3 --time-scale 10 --snapshots "$work/snaps" \
  --log "$work/run-log.txt" >"$work/run.txt" 2>&1 || { cat "$work/run.txt"; fail "zx itv run"; }
grep -q "total 0, logged 0" "$work/run.txt" || { cat "$work/run.txt"; fail "run summary"; }
ls "$work/snaps" | grep -q flip || fail "no snapshot after a flip"
grep -q "Interactive system log" "$work/run-log.txt" || fail "run log"
cmp -s "$work/ini.before" "$work/data/ZENTRIX.INI" || fail "the settings file was written"

# The USB adapter: its library simulated inside zx, its control socket this test's own.
export XDG_RUNTIME_DIR=$work
export ZX_VOICEBOARD_TIME_SCALE=10
"$zx" itv run --home "$work/data" ITV/Vote.zxi --hardware usb --for 100 --time-scale 10 --log "$work/usb-log.txt" \
  >"$work/usb.txt" 2>&1 &
runner=$!
for _ in $(seq 200); do grep -q "usb: Total lines: \[8\] listening: \[3\]" "$work/usb.txt" && break; sleep 0.1; done
grep -q "usb: Total lines: \[8\] listening: \[3\]" "$work/usb.txt" || { cat "$work/usb.txt"; fail "the USB lines"; }
"$zx" voiceboard ring 102 >/dev/null || fail "ring 102"
for _ in $(seq 200); do grep -q "  vote " "$work/usb.txt" && break; sleep 0.1; done
wait $runner || { cat "$work/usb.txt"; fail "zx itv run --hardware usb"; }
grep -q "^answer 2 Coffee: 1 " "$work/usb.txt" || { cat "$work/usb.txt"; fail "the USB vote"; }
grep -q "hardware 3" "$work/usb.txt" || fail "not the USB adapter"
echo "OK"
