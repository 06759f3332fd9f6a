#!/usr/bin/env bash
# An X client reads what a copy button placed: Wine offers its clipboard on the X CLIPBOARD
# selection, and the code page 936 text comes out as UTF-8.
# Usage: clipboard_x11.sh CLIPBOARD_HELPER_EXE   (needs DISPLAY and WINEPREFIX, as CTest has them)
set -euo pipefail
helper=$1
work=$(mktemp -d)
pid=

stop_helper() {
  [ -n "$pid" ] || return 0
  touch "$work/stop"
  local i
  for i in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
}
trap 'stop_helper; rm -rf "$work"' EXIT

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
hex_bytes() { od -An -tx1 | tr -d ' \n'; }

failures=0
# check BUTTON CP936_HEX EXPECTED_UTF8 LABEL
check() {
  local button=$1 hex=$2 expected=$3 label=$4
  rm -f "$work/ready" "$work/stop"
  wine "$helper" serve "$button" "$hex" "$(windows_path "$work/ready")" "$(windows_path "$work/stop")" \
    </dev/null >"$work/helper.log" 2>&1 &
  pid=$!
  local i
  for i in $(seq 1 300); do
    [ -e "$work/ready" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -e "$work/ready" ]; then
    echo "FAIL $label: the helper did not copy"; cat "$work/helper.log"
    failures=$((failures + 1)); stop_helper; return
  fi
  # Wine takes the X selection a moment after the copy.
  local got=
  for i in $(seq 1 50); do
    got=$(timeout 5 xclip -o -selection clipboard 2>/dev/null | hex_bytes) || true
    [ "$got" = "$(printf '%s' "$expected" | hex_bytes)" ] && break
    sleep 0.1
  done
  stop_helper
  if [ "$got" = "$(printf '%s' "$expected" | hex_bytes)" ]; then
    echo "ok   $label"
  else
    echo "FAIL $label: expected bytes $(printf '%s' "$expected" | hex_bytes), X client read '$got'"
    failures=$((failures + 1))
  fi
}

check 1 313032342c373638 "1024,768" "whole coordinates, ASCII"
check 2 313032342c373638 "1024" "x field"
check 1 d7f8b1ea2ca3b1a3b2 "坐标,１２" "whole coordinates, Chinese"
check 2 d7f8b1ea2ca3b1a3b2 "坐标" "x field, Chinese"
[ "$failures" -eq 0 ]
