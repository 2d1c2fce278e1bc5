#!/usr/bin/env bash
# The Wine session the Windows tests share: a fresh Wine prefix in a temporary folder, an Xvfb
# for its windows, and one persistent wineserver, so that each program starts in about a
# second rather than setting up Wine anew.
#   bash wine-session.sh start SESSION    makes them; SESSION is a file of shell settings
#   bash wine-session.sh stop SESSION     ends the wineserver and Xvfb, removes the folder
set -euo pipefail
action=$1
session=$2

find_wine() { # Debian's wine64 package keeps its programs here, off the PATH
  for candidate in "$(command -v "$1" || true)" "/usr/lib/wine/$1"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return
    fi
  done
  echo "FAIL: $1 is missing (package wine64)" >&2
  exit 1
}

case "$action" in
  start)
    wine=$(find_wine wine64)
    wineserver=$(find_wine wineserver)
    folder=$(mktemp -d "${TMPDIR:-/tmp}/tarvel-wine.XXXXXX")
    exec {fd}<> <(:)
    # Its own session and no terminal: it outlives this script, and ctest waits for nothing.
    setsid Xvfb -displayfd "$fd" -screen 0 1280x800x24 -noreset -nolisten tcp \
      </dev/null >"$folder/xvfb.log" 2>&1 &
    xvfb=$!
    if ! read -r -t 30 -u "$fd" number; then
      echo "FAIL: Xvfb did not start: $(cat "$folder/xvfb.log")"
      exit 1
    fi
    exec {fd}>&-
    cat >"$session" <<SETTINGS
export WINEPREFIX='$folder/prefix'
export DISPLAY=':$number'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
export WINE='$wine'
export WINESERVER='$wineserver'
TARVEL_XVFB=$xvfb
TARVEL_WINE_FOLDER='$folder'
SETTINGS
    # shellcheck source=/dev/null
    source "$session"
    mkdir -p "$WINEPREFIX"
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    started=$SECONDS
    if ! "$WINE" wineboot -i </dev/null >"$folder/wineboot.log" 2>&1; then
      echo "FAIL: wineboot: $(cat "$folder/wineboot.log")"
      exit 1
    fi
    echo "Wine prefix made in $((SECONDS - started)) s, Xvfb on :$number"
    ;;
  stop)
    [ -f "$session" ] || exit 0
    # shellcheck source=/dev/null
    source "$session"
    "$WINESERVER" -k 2>/dev/null || true
    kill "$TARVEL_XVFB" 2>/dev/null || true
    rm -rf "$TARVEL_WINE_FOLDER" "$session"
    ;;
  *)
    echo "usage: bash wine-session.sh start|stop SESSION" >&2
    exit 2
    ;;
esac
