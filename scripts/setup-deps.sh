#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Idempotent: it asks dpkg first and runs apt-get only for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config ccache
  libxml2-dev libxml2-utils libcurl4-openssl-dev nlohmann-json3-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev zlib1g-dev
  libssl-dev openssl
  qt6-base-dev qt6-base-private-dev qt6-webengine-dev qt6-pdf-dev libqt6svg6
  libfontconfig-dev xvfb xauth x11-utils libx11-dev
  clang-14 libclang-rt-14-dev
  libsqlite3-dev dbus-daemon
  dpkg-dev lintian appstream desktop-file-utils file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
