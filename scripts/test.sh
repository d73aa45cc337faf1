#!/usr/bin/env bash
# Builds Vantle with its tests and runs every test: the suite, the Debian package (built for
# release into build-release/ and checked), a short run of every fuzz target, and the GUI-free
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Exits non-zero on any failure. VANTLE_SKIP_SANITIZED=1 leaves the sanitizer build out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_BUILD_DIR:-$root/build}
"$root/scripts/build.sh"
(
  export QT_QPA_PLATFORM=offscreen
  if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
  ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$(nproc)"
)
"$root/scripts/package.sh"
"$root/scripts/check-package.sh"
"$root/scripts/fuzz-smoke.sh"
if [ "${VANTLE_SKIP_SANITIZED:-0}" != 1 ]; then
  "$root/scripts/test-sanitized.sh"
fi
