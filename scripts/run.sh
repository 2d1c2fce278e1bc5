#!/usr/bin/env bash
# Sets Tarvel up where needed, builds it and opens its window on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/release/form1/tarvel
