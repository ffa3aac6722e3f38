#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need.
# Idempotent and quiet: does nothing when everything is already present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  googletest libgtest-dev libbenchmark-dev libcli11-dev libpcre2-dev libssl-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64 xvfb x11-utils fonts-arphic-uming imagemagick
  dpkg-dev file groff-base systemd
  libyara-dev yara
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}" >&2
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
