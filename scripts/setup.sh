#!/usr/bin/env bash
# Installs the Debian packages Tarvel needs, where they are missing:
#   bash scripts/setup.sh run       what building and running the program needs
#   bash scripts/setup.sh test      that, and every tool the tests and checks call
#   bash scripts/setup.sh release   that, and what scripts/release.sh uses to make and compare
#                                   releases
# Safe to run again: it installs nothing that is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

# A compiler and CMake, the libraries the program links (text, pixels, X11 through XCB,
# Wayland), the Wayland protocol files it is built from, and the label's font.
run_packages=(
  g++ cmake make pkg-config
  libfontconfig-dev libfreetype-dev libpixman-1-dev fonts-dejavu-core
  libxcb1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xrm-dev libxcb-keysyms1-dev
  libxcb-icccm4-dev
  libwayland-dev wayland-protocols
)
# The test frameworks; display servers to run it on (Xvfb, and weston with the headers for the
# tests' own module) and Xlib to look at them; screenshots; memory checking; static analysis;
# the desktop and packaging checkers; the manual page reader. For the Windows build: the
# mingw-w64 cross compiler, Wine to run what it makes, NSIS for the installer, and icoutils and
# xz to read the executable's resources and the installer's data back. For the web build:
# Emscripten (with node), and three browser engines to test the page in (Chromium, Firefox, and
# WebKitGTK through its WebDriver).
test_packages=(
  googletest libgtest-dev libbenchmark-dev bc
  xvfb weston libweston-10-dev libx11-dev x11-utils imagemagick
  valgrind clang-format clang-tidy cppcheck
  desktop-file-utils appstream dpkg-dev lintian man-db
  g++-mingw-w64-x86-64-posix wine64 nsis icoutils xz-utils
  emscripten chromium-headless-shell firefox-esr webkit2gtk-driver
)
# Making a release: git to export the commit, fakeroot to pack files as root's, and diffoscope
# to show where two builds differ.
release_packages=(git fakeroot diffoscope-minimal)

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  release) packages=("${run_packages[@]}" "${test_packages[@]}" "${release_packages[@]}") ;;
  *)
    echo "usage: bash scripts/setup.sh run|test|release" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
# The browser tests' driver comes from npm; a node that brings its own npm needs no other.
if [ "${1:-}" != run ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi

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

# The browser tests' npm packages, exactly as tests/web/package-lock.json pins them.
if [ "${1:-}" != run ] &&
  ! cmp -s tests/web/package-lock.json tests/web/node_modules/.tarvel-installed-lock; then
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error &&
    cp package-lock.json node_modules/.tarvel-installed-lock)
fi
