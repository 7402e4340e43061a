#!/usr/bin/env bash
# zx serve's refusals before it starts: a listen address that is not one, an address beyond
# loopback without a token, and a file given to it.
# Usage: serve_command_test.sh ZX
set -uo pipefail
zx=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
"$zx" init "$work/data" >/dev/null || fail "zx init"

expect_refusal() {  # WHAT TEXT ARGS...
  local what=$1 text=$2
  shift 2
  "$zx" serve --home "$work/data" "$@" >"$work/out.txt" 2>"$work/err.txt"
  local rc=$?
  [ $rc -eq 2 ] || fail "$what: exit $rc, not 2 ($(cat "$work/err.txt"))"
  grep -q "$text" "$work/err.txt" || fail "$what: $(cat "$work/err.txt")"
}
expect_refusal "no port" "no port" --listen 127.0.0.1
expect_refusal "beyond loopback" "needs a token" --listen 0.0.0.0:0
expect_refusal "a blank in the token" "blanks" --listen 127.0.0.1:0 --token "a b"
expect_refusal "a file" "takes no file" "Sequences/x.zxs"
expect_refusal "time scale" "time-scale" --time-scale 0
printf '[Control]\nListen=0.0.0.0:8139\n' >>"$work/data/ZENTRIX.INI"
expect_refusal "[Control] Listen beyond loopback" "needs a token"
echo "PASS"
