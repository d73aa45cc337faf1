#!/usr/bin/env bash
# Checks a Debian package made by scripts/package.sh (default: the newest in dist/): its layout, its
# desktop entry and AppStream metadata, lintian (no errors), and that the programs unpacked from
# it run: vantle-feed reads a sample feed, vantle answers --version without a display and keeps
# its data in the user's home.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-$(ls -t "$root"/dist/vantle_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "check-package: no package found" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

echo "checking $deb"
dpkg -x "$deb" "$unpacked"
for path in usr/lib/vantle/vantle usr/lib/vantle/Vantle_UserGuide.pdf usr/bin/vantle \
  usr/bin/vantle-feed usr/share/applications/vantle.desktop \
  usr/share/icons/hicolor/scalable/apps/vantle.svg \
  usr/share/metainfo/org.example.vantle.metainfo.xml usr/share/man/man1/vantle.1.gz \
  usr/share/man/man1/vantle-feed.1.gz usr/share/doc/vantle/copyright \
  usr/share/doc/vantle/changelog.gz; do
  [ -e "$unpacked/$path" ] || fail "missing /$path"
done
[ "$(readlink "$unpacked/usr/bin/vantle")" = ../lib/vantle/vantle ] ||
  fail "/usr/bin/vantle is not a link to ../lib/vantle/vantle"
for binary in usr/lib/vantle/vantle usr/bin/vantle-feed; do
  file -b "$unpacked/$binary" | grep -q ', stripped' || fail "/$binary is not stripped"
done
for dependency in libcurl4 libqt6svg6 xdg-utils libqt6webenginewidgets6; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$dependency\b" || fail "Depends lacks $dependency"
done
for page in vantle vantle-feed; do
  zcat "$unpacked/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -q "\"Vantle $version\"" ||
    fail "$page(1) does not name version $version"
done

desktop-file-validate "$unpacked/usr/share/applications/vantle.desktop" ||
  fail "desktop-file-validate refused the desktop entry"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.example.vantle.metainfo.xml" ||
  fail "appstreamcli refused the metadata"
appstreamcli validate-tree --no-net "$unpacked" >/dev/null ||
  fail "appstreamcli refused the installed tree"
# Errors fail the check; warnings and notes are shown (as is lintian's notice to root, left out).
lintian_status=0
report=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v '^running with root privileges' <<<"$report" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reported errors"

show=$("$unpacked/usr/bin/vantle-feed" show "$root/examples/feeds/rss2-images-enclosures.xml") ||
  fail "vantle-feed show failed"
case $show in
  *'"ok":true'*'"Title":"Harbour Radio"'*) ;;
  *) fail "vantle-feed show printed: ${show:0:200}" ;;
esac
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$unpacked/usr/bin/vantle" --version) || fail "vantle --version failed"
[ "$answer" = "vantle $version" ] || fail "vantle --version printed: $answer"

# The packaged window keeps its data in the user's home even where it could write beside itself.
home=$unpacked/home
mkdir -p "$home"
env -u XDG_DATA_HOME HOME="$home" TMPDIR="$unpacked" QT_QPA_PLATFORM=offscreen \
  QTWEBENGINE_DISABLE_SANDBOX=1 "$unpacked/usr/bin/vantle" >"$unpacked/vantle.log" 2>&1 &
window=$!
for _ in $(seq 600); do
  [ -d "$home/.local/share/vantle/Data" ] && break
  kill -0 "$window" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$window" 2>/dev/null || true
wait "$window" || true
[ -d "$home/.local/share/vantle/Data" ] || fail "vantle made no data directory in the home"
[ ! -e "$unpacked/usr/lib/vantle/Data" ] || fail "vantle made a data directory beside itself"

if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures failures" >&2
  exit 1
fi
echo "package $(basename "$deb") checked"
