#!/usr/bin/env bash
# zx voice and zx adapter against the adapter stand-in in-process: voice bytes to WAV and back,
# the status of both versions, one packet, a voice message written, and the refusals of bad input.
# Usage: adapter_commands_test.sh BUILD_DIR
set -euo pipefail
zx=$1/src/cli/zx
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export XDG_RUNTIME_DIR=$work   # the stand-in's terminal and control socket of this test alone
home=$work/home
mkdir -p "$home"

# Voice bytes as the second version keeps them (reversed mu-law) to WAV and back.
printf '\xff\xce\x4e\x80\x00\x10\x20' >"$work/voice.bin"
"$zx" voice decode "$work/voice.bin" --out "$work/voice.wav" >"$work/decode.txt" || fail "decode"
grep -q "^7 samples (0.0 s)" "$work/decode.txt" || fail "decode text"
[ "$(stat -c %s "$work/voice.wav")" = 72 ] || fail "58-byte header and 7 samples"
"$zx" voice encode "$work/voice.wav" --version 2 --out "$work/back.bin" >/dev/null || fail "encode"
cmp -s "$work/voice.bin" "$work/back.bin" || fail "the bytes came back changed"
if "$zx" voice encode "$work/voice.bin" --version 2 --out "$work/x.bin" 2>"$work/err.txt"; then fail "not a WAV"; fi
grep -q "only PCM / 8000 Hz" "$work/err.txt" || fail "the bad-format reason"
[ ! -e "$work/x.bin" ] || fail "a refused file made output"
if "$zx" voice encode "$work/voice.wav" --version 3 --out "$work/x.bin" 2>/dev/null; then fail "version 3"; fi

# Both versions answer their status.
"$zx" adapter check --home "$home" --sim --version 1 >"$work/check1.txt" || { cat "$work/check1.txt"; fail "check 1"; }
grep -q "^status: mode 00, lines 00" "$work/check1.txt" || fail "first-version status"
"$zx" adapter check --home "$home" --sim --version 2 >"$work/check2.txt" || { cat "$work/check2.txt"; fail "check 2"; }
grep -q "^flash status 00, erasing no" "$work/check2.txt" || fail "second-version erase status"
"$zx" adapter packet 5 --home "$home" --sim >"$work/packet.txt" || fail "packet"
grep -q "^reply: 47 85 00 34$" "$work/packet.txt" || { cat "$work/packet.txt"; fail "the empty call buffer"; }
if "$zx" adapter packet 300 --home "$home" --sim 2>/dev/null >/dev/null; then fail "code 300"; fi

# A voice message written to line 0 of the second version.
"$zx" adapter voice write 1 "$work/voice.wav" --home "$home" --sim --version 2 >"$work/write.txt" \
  || { cat "$work/write.txt"; fail "voice write"; }
grep -q "^success$" "$work/write.txt" || fail "write result"
"$zx" adapter voice read 0 "$work/read.wav" --home "$home" --sim --version 2 >"$work/read.txt" || fail "voice read"
grep -q "There's no voice message on this line!" "$work/read.txt" || fail "a fresh stand-in has no message"

# A port that does not exist is result 1.
set +e
"$zx" adapter check --home "$home" --device "$work/nothing" --version 2 >/dev/null 2>&1
[ $? = 1 ] || fail "no port: 1"
"$zx" phonesim --control "$work/none.ctl" stats >/dev/null 2>&1
[ $? = 1 ] || fail "no stand-in"
echo "adapter commands: all good"
