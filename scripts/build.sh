#!/usr/bin/env bash
# Configures and builds Vantle into build/ (or $VANTLE_BUILD_DIR).
# Compiles through ccache when it is installed (scripts/ccache.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_BUILD_DIR:-$root/build}
"$root/scripts/setup-deps.sh"
. "$root/scripts/ccache.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${VANTLE_BUILD_TYPE:-RelWithDebInfo}" \
  "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
