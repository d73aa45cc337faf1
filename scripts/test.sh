#!/usr/bin/env bash
# Builds Vantle with its tests and runs every test; exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$(nproc)"
