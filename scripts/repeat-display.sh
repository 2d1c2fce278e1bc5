#!/usr/bin/env bash
# Runs the real-display suite over and over with the other core kept busy, to prove it steady:
#   bash scripts/repeat-display.sh [times]      (default 20; needs the release build: test.sh)
# Each test runs until it fails or has passed that many times. A test that fails one run in
# twenty here fails CI for everyone: mend it, never retry it.
set -euo pipefail
cd "$(dirname "$0")/.."
times=${1:-20}
[ -f build/release/CTestTestfile.cmake ] || {
  echo "no release build yet: run bash scripts/test.sh first" >&2
  exit 2
}
# A busy loop for the other core, ended with the script however it ends.
bash -c 'while :; do :; done' &
busy=$!
trap 'kill "$busy" 2>/dev/null || true' EXIT
start=$SECONDS
ctest --preset release -L display --repeat "until-fail:$times"
echo "display suite: every test passed $times times in a row with a core kept busy," \
  "in $((SECONDS - start)) s"
