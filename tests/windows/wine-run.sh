#!/usr/bin/env bash
# Runs a Windows program in the tests' Wine session (wine-session.sh made it): ctest's
# emulator for the cross-built tests.
#   bash wine-run.sh SESSION PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
# shellcheck source=/dev/null
source "$1"
shift
exec "$WINE" "$@"
