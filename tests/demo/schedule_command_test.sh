#!/usr/bin/env bash
# zx schedule on the demo's data folder: the demo's lists, events added and removed, the coming
# occurrences, and Automation mode run headless on the embedded Device in scaled local time (two
# events, a stop between them and an item key), with the refusals of bad input.
# Usage: schedule_command_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
home=$work/data

"$zx" demo "$home" >"$work/demo.txt" 2>&1 || { cat "$work/demo.txt"; fail "zx demo"; }
grep -q "^  *schedule.dat" "$work/demo.txt" || grep "schedule.dat" "$work/demo.txt" >/dev/null || fail "no schedule.dat"
"$zx" schedule list --home "$home" >"$work/list.txt" || fail "list"
grep -q "^   1  00:00:00  \[1234567\]  Sequences/Evening show.zxs$" "$work/list.txt" || fail "the first demo event"
grep -q "^   2  00:10:00  \[1234567\]  Stop playback$" "$work/list.txt" || fail "the stop between"
grep -q "12:30:30  \[01.01.2030\]  Sequences/Evening show.zxs" "$work/list.txt" || fail "the once-only event"
grep -q "Clock/Studio clock.zck" "$work/list.txt" || fail "the clock event"
grep -q "Sequences/Logo on.txt" "$work/list.txt" || fail "the macro event"
"$zx" schedule binds --home "$home" >"$work/binds.txt" || fail "binds"
grep -q "^   2  Sequences/News loop.zxs$" "$work/binds.txt" || fail "key 2"
grep -q "^8 item keys (KTG210E)$" "$work/binds.txt" || fail "the model's keys"
"$zx" schedule list --home "$home" --json >"$work/list.json" || fail "json"
grep -q '^\[{"time": "00:00:00", "weekdays": 127, "action": "play"' "$work/list.json" || fail "json text"
"$zx" schedule next --home "$home" --from "2025-06-02 11:58:00" --count 2 >"$work/next.txt"
grep -q "^cue 11:59:55..12:00:00  play 2025-06-02 12:00:00  \[98\] Sequences/Evening show.zxs$" "$work/next.txt" \
  || { cat "$work/next.txt"; fail "next"; }

# A schedule of its own: two plays with a stop between, then item key 2 and Play from the Device.
rm "$home/schedule.dat"
"$zx" schedule add --home "$home" --at 12:00:00 --daily --file "Sequences/News loop.zxs" >/dev/null || fail "add 1"
"$zx" schedule add --home "$home" --at 12:00:10 --daily --stop >/dev/null || fail "add 2"
"$zx" schedule add --home "$home" --at 12:00:20 --on 2025-06-02 --file "Sequences/Evening show.zxs" >/dev/null \
  || fail "add 3"
"$zx" schedule add --home "$home" --at 12:00:40 --daily --days 16 --stop >/dev/null || fail "add 4"
"$zx" schedule add --home "$home" --at 12:00:45 --daily --stop >/dev/null || fail "add 5"
"$zx" schedule remove --home "$home" 5 >/dev/null || fail "remove"
"$zx" schedule list --home "$home" | grep "^4 scheduled events" >/dev/null || fail "four events"
TZ=Europe/Berlin "$zx" schedule run --home "$home" --start "2025-06-02 11:59:50" --for 75s --time-scale 20 \
  --press 9@12:00:50 --press 1@12:00:53 --snapshots "$work/snaps" >"$work/run.txt" 2>&1 \
  || { cat "$work/run.txt"; fail "run"; }
cat "$work/run.txt" | grep -v "air log\|  [a-z-]*$" || true
grep -q "cue \[1\] 2025-06-02 12:00:00" "$work/run.txt" || fail "no cue of event 1"
grep -q "play \[1\] 2025-06-02 12:00:00 at 2025-06-02 12:00:00" "$work/run.txt" || fail "event 1 not played at its time"
grep -q "stop \[2\] 2025-06-02 12:00:10" "$work/run.txt" || fail "the stop"
grep -q "stop \[4\] 2025-06-02 12:00:40" "$work/run.txt" || fail "the Monday stop"
grep -q "play \[3\] 2025-06-02 12:00:20 at 2025-06-02 12:00:20" "$work/run.txt" || fail "event 3"
grep -q "item 2: cued binding 2" "$work/run.txt" || fail "item key 2"
grep -q "air log: .*News crawl.zxg" "$work/run.txt" || fail "the news loop on air"
grep -q "air log: .*Title.zxg" "$work/run.txt" || fail "the evening show on air"
grep -q "^summary: due 2, played 2, missed 0, late 0" "$work/run.txt" || fail "summary"
[ "$(ls "$work/snaps" | wc -l)" -ge 10 ] || fail "too few snapshots"
[ "$(md5sum "$work"/snaps/*.png | cut -c1-32 | sort -u | wc -l)" -ge 4 ] || fail "the snapshots do not differ"

# Bad input: a clear error, nothing changed.
cp "$home/schedule.dat" "$work/before.dat"
if "$zx" schedule add --home "$home" --at 12:00 --daily --stop 2>/dev/null; then fail "a bad time was taken"; fi
if "$zx" schedule add --home "$home" --at 12:00:00 --on 2025-02-29 --stop 2>/dev/null; then fail "a bad date"; fi
if "$zx" schedule add --home "$home" --at 12:00:00 --daily 2>/dev/null; then fail "nothing to play"; fi
if "$zx" schedule remove --home "$home" 9 2>/dev/null; then fail "no event 9"; fi
if "$zx" schedule bind --home "$home" 9 --file x.zxs 2>/dev/null; then fail "KTG210E has no key 9"; fi
cmp -s "$home/schedule.dat" "$work/before.dat" || fail "a refusal changed the file"
{ printf 'ZXEF\0\0\2\0'; head -c 56 /dev/zero; } >"$home/schedule.dat"
if "$zx" schedule list --home "$home" >"$work/bad.txt" 2>&1; then fail "a damaged file was listed"; fi
grep -q "unsupported file version" "$work/bad.txt" || { cat "$work/bad.txt"; fail "no 3003 message"; }
if "$zx" schedule run --home "$home" --for 2 >"$work/badrun.txt" 2>&1; then fail "run on a damaged file"; fi
"$zx" schedule binds --home "$home" --400m | grep "^0 item keys (KTG400M)$" >/dev/null || fail "400M"
echo "OK"
