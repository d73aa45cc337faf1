#!/usr/bin/env bash
# A short run of every fuzz target (about $VANTLE_FUZZ_SMOKE_SECONDS, default 20, in all) for the
# test command. Succeeds without running where clang-14 is missing; fails when a target crashes.
# The inputs of a crash stay in <build-fuzz>/fuzz-smoke/crashes/ until the next smoke run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v clang++-14 >/dev/null; then
  echo "fuzz smoke: clang++-14 is missing, skipped"
  exit 0
fi
build=${VANTLE_FUZZ_BUILD_DIR:-$root/build-fuzz}
work=$build/fuzz-smoke
targets=$("$root/scripts/fuzz.sh" --list | wc -l)
per_target=$(((${VANTLE_FUZZ_SMOKE_SECONDS:-20}) / targets))
[ "$per_target" -ge 1 ] || per_target=1
rm -rf "$work"
VANTLE_FUZZ_BUILD_DIR=$build VANTLE_FUZZ_WORK_DIR=$work VANTLE_FUZZ_MAX_CRASHES=1 \
  exec "$root/scripts/fuzz.sh" "$per_target"
