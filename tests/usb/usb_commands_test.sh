#!/usr/bin/env bash
# zx usb listen on the simulated USB library, driven by zx voiceboard: a call with caller ID off
# and one with a DTMF number answered, voted and hung up; a missing library refused.
# Usage: usb_commands_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; cat "$work/listen.txt" 2>/dev/null || true; exit 1; }
export XDG_RUNTIME_DIR=$work   # the control socket of this test alone
export ZX_VOICEBOARD_TIME_SCALE=20
home=$work/home
mkdir -p "$home"

# Waits up to 10 s for a line in the listener's output.
await() { for _ in $(seq 100); do grep -q "$1" "$work/listen.txt" && return 0; sleep 0.1; done; fail "no \"$1\""; }

"$zx" usb listen --home "$home" --library sim --lines 1=A --lines 3=C --for 20 >"$work/listen.txt" 2>&1 &
listener=$!
await "^listening (caller ID off)"
await "^status: Total lines: \[8\] listening: \[2\]"
"$zx" voiceboard ring 101 5551234 >/dev/null || fail "ring 101"
await "^call on line 1 (answer A): number (none)"
await "^port 101: state 6 -> 1"
"$zx" voiceboard ring 102 >/dev/null || fail "ring 102"   # line 2 is not bound: never answered
"$zx" voiceboard log >"$work/log.txt" || fail "log"
grep -q "OffHook(101) Hangup(101)" "$work/log.txt" || fail "the calls the program made: $(cat "$work/log.txt")"
if grep -q "OffHook(102)" "$work/log.txt"; then fail "an unbound line was answered"; fi
if "$zx" voiceboard ring 999 >/dev/null; then fail "an unknown port rang"; fi
kill -TERM $listener
wait $listener || fail "listen ended badly"
grep -q "^stopped$" "$work/listen.txt" || fail "not stopped"

if "$zx" usb listen --home "$home" --library "$work/libnothere.so" --for 1 >"$work/missing.txt" 2>&1; then
  fail "a missing library started"
fi
grep -q "libnothere.so" "$work/missing.txt" || fail "the missing library's reason: $(cat "$work/missing.txt")"
if "$zx" voiceboard stats 2>/dev/null; then fail "a control socket is left"; fi
if "$zx" usb listen --home "$home" --lines 9=X 2>/dev/null; then fail "line 9"; fi
echo "usb commands: ok"
