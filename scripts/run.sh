#!/usr/bin/env bash
# Installs what building and running Tarvel need, where it is missing, builds the program alone
# (in build/run; a second run finds it built) and opens its window on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
if [ ! -f build/run/CMakeCache.txt ]; then
  cmake --preset run >/dev/null
fi
cmake --build --preset run
exec build/run/form1/tarvel
