#!/usr/bin/env bash
# Sets Tarvel up where needed, builds everything and runs every check (about thirteen minutes on
# two cores):
#   1. formatting, clang-tidy and cppcheck, over the Linux, Windows and web sources;
#   2. the release build's tests: headless, real-display (X11 and Wayland servers of their own),
#      soak, valgrind, hardening, dependencies, manual page, install and package;
#   3. the Windows build (cross-built with mingw-w64), its tests run under Wine on an X server
#      of their own: the headless suite, the real window, its resources, zip and installer;
#   4. the web build (WebAssembly, with Emscripten): the headless suite under node, and the
#      page in Chromium, Firefox and WebKitGTK;
#   5. the same Linux suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset windows >/dev/null
cmake --preset web >/dev/null
bash scripts/static-analysis.sh
ctest --preset release

cmake --build --preset windows
ctest --preset windows

cmake --build --preset web
ctest --preset web

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
