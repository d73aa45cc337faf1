#!/usr/bin/env bash
# Builds Vantle for release into build-release/ (or $VANTLE_RELEASE_BUILD_DIR), laid out for the
# system package, and makes the Debian package dist/vantle_<version>_<arch>.deb from that same
# build. Prints the package's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTLE_RELEASE_BUILD_DIR:-$root/build-release}
dist=$root/dist

"$root/scripts/setup-deps.sh"
# Debian's hardening flags: stack protector, fortified functions, read-only relocations bound
# at start-up.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
. "$root/scripts/ccache.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DVANTLE_TESTS=OFF -DVANTLE_BENCH=OFF -DVANTLE_SYSTEM_INSTALL=ON \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# CPack installs the build into its staging tree and packs it; no second build.
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null)
deb=$(find "$build/package" -maxdepth 1 -name 'vantle_*.deb' -print -quit)
[ -n "$deb" ] || { echo "package: no .deb was made" >&2; exit 1; }
mkdir -p "$dist"
cp "$deb" "$dist/"
echo "$dist/$(basename "$deb")"
