#!/usr/bin/env bash
# Sets Tarvel up where needed, builds it and runs every test: the headless suite and the
# real-display suite, which starts X servers of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --preset release
