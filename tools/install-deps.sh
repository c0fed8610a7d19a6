#!/usr/bin/env bash
# Installs the Debian packages the game, its tests and its benchmarks need; skips what is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libbox2d-dev libglfw3-dev libglew-dev libfreetype-dev libpng-dev libjpeg62-turbo-dev
  libgl1-mesa-dri xvfb xauth xdotool imagemagick libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenal-dev libopenal1 libvorbis-dev
  clang-14 libclang-rt-14-dev
  libinih-dev libsigc++-2.0-dev libsfml-dev
  dpkg-dev file python3 lintian appstream desktop-file-utils fonts-dejavu-core
  fonts-symbola
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
