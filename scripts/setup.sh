#!/usr/bin/env bash
# Installs every Debian 12 package the build, the game and the tests need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang
  freeglut3-dev libx11-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri mesa-utils
  liblua5.1-0-dev libpng-dev libjpeg-dev zlib1g-dev
  libopenal-dev libalut-dev libopenal1
  libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
# Through env: sudo drops the caller's environment, and a configuration prompt would hang the set-up.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
