#!/usr/bin/env bash
# Configures and builds Vantle into build/ (or $VANTLE_BUILD_DIR).
# Compiles through ccache when it is installed; the cache keys on paths relative to the
# checkout's parent, so clones and work trees beside each other share their objects.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_BUILD_DIR:-$root/build}
"$root/scripts/setup-deps.sh"
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")} CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${VANTLE_BUILD_TYPE:-RelWithDebInfo}" \
  "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
