#!/usr/bin/env bash
# Sets Tarvel up where needed, builds everything and runs every check (about six minutes on two
# cores):
#   1. formatting, clang-tidy and cppcheck;
#   2. the release build's tests: headless, real-display (X11 and Wayland servers of their own),
#      soak, valgrind, hardening, dependencies, manual page, install and package;
#   3. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --preset release >/dev/null
cmake --build --preset release
bash scripts/static-analysis.sh
ctest --preset release

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
