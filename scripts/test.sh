#!/usr/bin/env bash
# Sets Tarvel up where needed, builds it and runs every check:
#   1. the release build's tests: headless, real-display (X11 and Wayland servers of their own),
#      soak, valgrind, hardening;
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. formatting, clang-tidy and cppcheck.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --preset release

cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

bash scripts/static-analysis.sh
