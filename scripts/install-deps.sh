#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev
  liblua5.1-0-dev libtolua++5.1-dev
  libbox2d-dev
  zlib1g-dev libpng-dev
  libtheora-dev libogg-dev
  libboost-dev libboost-thread-dev libboost-system-dev libboost-date-time-dev
  libsndfile1-dev libvorbis-dev
  libgl-dev libgl1-mesa-dri
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
