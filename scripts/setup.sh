#!/usr/bin/env bash
# Installs the Debian packages Tarvel needs to build, run and test, where they are missing,
# then configures and builds it. Safe to run again: it installs nothing that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake make pkg-config
  libfontconfig-dev libfreetype-dev libpixman-1-dev fonts-dejavu-core
  libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xrm-dev libxcb-keysyms1-dev
  libxcb-icccm4-dev libwayland-dev wayland-protocols libx11-dev
  googletest libgtest-dev libbenchmark-dev bc
  xvfb weston libweston-10-dev imagemagick
  valgrind clang-format clang-tidy cppcheck
  desktop-file-utils appstream x11-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

cmake --preset release >/dev/null
cmake --build --preset release
