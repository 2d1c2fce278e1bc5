#!/usr/bin/env bash
# The Windows packages: the portable zip holds the program, its licence note and a short readme;
# the installer, run silently under Wine, puts Tarvel in Program Files with a Start-menu
# shortcut and an Apps & features entry; the installed program runs and closes with status 0;
# the uninstaller, run silently, takes it all away again.
#   bash package_test.sh BUILD VERSION SESSION
set -euo pipefail
build=$1
version=$2
# shellcheck source=/dev/null
source "$3"
work=$(mktemp -d)
trap 'kill "${tarvel:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local limit=$1
  shift
  for ((i = 0; i < limit * 10; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

(cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1) || fail "cpack: $(cat "$work/cpack.log")"
name=tarvel-$version-windows-x64
zip=$work/out/$name.zip
setup=$work/out/$name.exe
[ -f "$zip" ] || fail "no $zip; made: $(ls "$work/out")"
[ -f "$setup" ] || fail "no installer $setup; made: $(ls "$work/out")"
contents=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$name/licence.txt" "$name/readme.txt" "$name/tarvel.exe")
[ "$contents" = "$expected" ] || fail "zip holds:
$contents"

# Installed silently, as an administrator would, for all users.
"$WINE" "$setup" /S >"$work/setup.log" 2>&1 || fail "the installer failed: $(cat "$work/setup.log")"
drive=$WINEPREFIX/drive_c
installed=$drive/Program\ Files/Tarvel
shortcut=$drive/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Tarvel/Tarvel.lnk
for file in tarvel.exe licence.txt readme.txt Uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: Program Files/Tarvel/$file"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut; the menu has: $(find "$drive" -name '*.lnk')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvel'
entry=$("$WINE" reg query "$key" 2>/dev/null | tr -d '\r') || fail "no Apps & features entry $key"
grep -Eq "DisplayVersion +REG_SZ +$version\$" <<<"$entry" || fail "entry's version: $entry"
grep -Eq "Publisher +REG_SZ +Tarvel developers\$" <<<"$entry" || fail "entry's publisher: $entry"
grep -Eq "DisplayName +REG_SZ +Tarvel\$" <<<"$entry" || fail "entry's name: $entry"

# The installed program runs: its window shows, and the close command (which taskkill sends as
# WM_CLOSE) ends it with status 0.
"$WINE" 'C:\Program Files\Tarvel\tarvel.exe' 2>"$work/tarvel.err" &
tarvel=$!
wait_for 60 xwininfo -name Form1 >/dev/null 2>&1 || fail "the installed Tarvel shows no window"
"$WINE" taskkill /IM tarvel.exe >/dev/null 2>&1 || fail "taskkill could not ask Tarvel to close"
status=0
wait "$tarvel" || status=$?
tarvel=
[ "$status" = 0 ] || fail "the installed Tarvel ended with status $status: $(cat "$work/tarvel.err")"

# Uninstalled silently: the uninstaller hands over to a copy of itself and returns, so what it
# removes is waited for.
"$WINE" 'C:\Program Files\Tarvel\Uninstall.exe' /S >"$work/uninstall.log" 2>&1 ||
  fail "the uninstaller failed: $(cat "$work/uninstall.log")"
wait_for 60 test ! -e "$installed" || fail "left behind: $(find "$installed")"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left behind"
! "$WINE" reg query "$key" >/dev/null 2>&1 || fail "the Apps & features entry is left behind"
echo "zip and installer ($(stat -c %s "$setup") bytes) install, run and uninstall"
