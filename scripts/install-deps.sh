#!/usr/bin/env bash
# Installs the Debian packages VORL builds and tests with, and only those that are missing.
# `apt-get update` runs at most once, and only when something has to be installed.
#   install-deps.sh           what the Linux program, its tests and the demo need
#   install-deps.sh windows   the cross compiler, Wine and Xvfb for the Windows program
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  libfmt-dev libpugixml-dev libcurl4-openssl-dev nlohmann-json3-dev
  libsodium-dev libzip-dev libmsgsl-dev
  qt6-base-dev libgl-dev
  libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
)
if [ "${1:-}" = "windows" ]; then
  packages=(
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build make pkg-config
    dpkg-dev autoconf automake libtool
    wine wine64 xvfb xauth x11-apps imagemagick zip unzip
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
