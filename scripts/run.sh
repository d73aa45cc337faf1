#!/usr/bin/env bash
# Builds Vantle and starts the reader window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
# Qt WebEngine's sandbox refuses to start as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
exec "$build/shell/vantle" "$@"
