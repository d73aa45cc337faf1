#!/bin/sh
# Usage: options_test.sh PROGRAM NAME VERSION
# Runs PROGRAM without a display: --version and --help print on standard output and exit 0,
# an unknown option prints the usage on standard error and exits 2.
set -u
program=$1 name=$2 version=$3
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $name $option: $*" >&2
  failures=$((failures + 1))
}

# Runs the program with one option; sets status, and leaves its output in $work/out and err.
run() {
  option=$1
  "$program" "$option" >"$work/out" 2>"$work/err" </dev/null
  status=$?
}

run --version
[ "$status" -eq 0 ] || fail "exit status $status"
[ "$(cat "$work/out")" = "$name $version" ] || fail "printed '$(cat "$work/out")'"
[ ! -s "$work/err" ] || fail "wrote on standard error: $(cat "$work/err")"

run --help
[ "$status" -eq 0 ] || fail "exit status $status"
[ "$(head -n 1 "$work/out")" = "$name $version" ] || fail "first line '$(head -n 1 "$work/out")'"
grep -q "^usage: $name " "$work/out" || fail "no usage on standard output"
[ ! -s "$work/err" ] || fail "wrote on standard error: $(cat "$work/err")"

run --no-such-option
[ "$status" -eq 2 ] || fail "exit status $status"
[ ! -s "$work/out" ] || fail "wrote on standard output: $(cat "$work/out")"
grep -q "^usage: $name " "$work/err" || fail "no usage on standard error"

[ "$failures" -eq 0 ] && echo "$name: options answered without a display"
[ "$failures" -eq 0 ]
