#!/usr/bin/env bash
# The Windows packages: the portable zip holds the program, its licence note and a short readme;
# the installer, run silently under Wine, puts Tarvel in Program Files with a Start-menu
# shortcut and an Apps & features entry whose values have the types Windows expects; the
# installed program runs and closes with status 0. Upgrades: a rebuilt installer run silently
# while Tarvel runs closes it (status 0) and replaces the exe, leaving a Tarvel run from
# elsewhere alone; one that cannot replace a busy exe fails with a non-zero status and leaves
# it; a wizard cancelled over an installed Tarvel leaves it working. The uninstaller, run silently, takes it all away, registry keys included.
#   bash package_test.sh BUILD VERSION SESSION CANCEL_SETUP_EXE HOLD_FILE_EXE
set -euo pipefail
build=$1
version=$2
# shellcheck source=/dev/null
source "$3"
cancel_setup=$4
hold_file=$5
work=$(mktemp -d)
trap 'kill "${tarvel:-}" "${portable:-}" "${holder:-}" "${setup_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
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
# A rebuilt copy: the same installer around a different exe (a few bytes appended).
# shellcheck disable=SC2016 # CMake's variable, for cpack to expand
echo 'file(APPEND "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/tarvel.exe" "rebuilt")' >"$work/rebuild.cmake"
(cd "$build" && cpack -G NSIS -B "$work/rebuilt" -D "CPACK_PRE_BUILD_SCRIPTS=$work/rebuild.cmake" \
  >"$work/cpack2.log" 2>&1) || fail "cpack, rebuilt: $(cat "$work/cpack2.log")"
name=tarvel-$version-windows-x64
zip=$work/out/$name.zip
setup=$work/out/$name.exe
rebuilt=$work/rebuilt/$name.exe
[ -f "$zip" ] || fail "no $zip; made: $(ls "$work/out")"
[ -f "$setup" ] || fail "no installer $setup; made: $(ls "$work/out")"
[ -f "$rebuilt" ] || fail "no rebuilt installer; made: $(ls "$work/rebuilt")"
contents=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' "$name/licence.txt" "$name/readme.txt" "$name/tarvel.exe")
[ "$contents" = "$expected" ] || fail "zip holds:
$contents"

# The installer's own version record (its strings UTF-16, each value after its name).
wrestool -x --raw --type=16 "$setup" >"$work/version.res" || fail "the installer has no version record"
record=$(iconv -f UTF-16LE -t UTF-8 "$work/version.res" 2>/dev/null | tr '\0' '\n' | tr -s '\n')
for pair in "ProductName Tarvel" "CompanyName Tarvel developers" "ProductVersion $version" \
  "FileVersion $version"; do
  got=$(awk -v name="${pair%% *}" 'found { print; exit } $0 ~ ("(^|[^A-Za-z])" name "$") { found = 1 }' <<<"$record")
  [ "$got" = "${pair#* }" ] || fail "the installer's ${pair%% *} is \"$got\""
done

drive=$WINEPREFIX/drive_c
installed=$drive/Program\ Files/Tarvel
exe=$installed/tarvel.exe
# The registry's machine-wide software keys as text (a DWORD reads dword:...), exported live:
# wineserver writes its own files only now and then.
software() {
  "$WINE" reg export 'HKLM\Software' 'C:\software.reg' /y >/dev/null 2>&1 || fail "reg export"
  iconv -f UTF-16 -t UTF-8 "$drive/software.reg" | tr -d '\r'
}
# The Apps & features entry: the section whose name ends in Uninstall\Tarvel, found rather
# than named (its path carries the system maker's name).
entry() { software | awk '/^\[/ { inside = ($0 ~ /\\Uninstall\\Tarvel\]$/) } inside'; }
# The all-users Start-menu shortcut, found in the prefix likewise.
shortcut() { find "$drive" -path '*/Start Menu/Programs/Tarvel/Tarvel.lnk' -print -quit; }
# Starts the installed Tarvel and waits for its window.
start_tarvel() {
  "$WINE" 'C:\Program Files\Tarvel\tarvel.exe' 2>"$work/tarvel.err" &
  tarvel=$!
  wait_for 60 xwininfo -name Form1 >/dev/null 2>&1 || fail "the installed Tarvel shows no window"
}
# Waits for the running Tarvel to end; fails unless with status 0.
tarvel_ended() {
  local status=0
  wait "$tarvel" || status=$?
  tarvel=
  [ "$status" = 0 ] || fail "the installed Tarvel ended with status $status $1: $(cat "$work/tarvel.err")"
}
two_forms() { [ "$(xwininfo -root -tree 2>/dev/null | grep -c '"Form1"')" -ge 2 ]; }
is_rebuilt() { [ "$(tail -c 7 "$exe")" = rebuilt ]; }

# Installed silently, as an administrator would, for all users.
"$WINE" "$setup" /S >"$work/setup.log" 2>&1 || fail "the installer failed: $(cat "$work/setup.log")"
for file in tarvel.exe licence.txt readme.txt Uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: Program Files/Tarvel/$file"
done
[ -n "$(shortcut)" ] || fail "no Start-menu shortcut; the prefix has: $(find "$drive" -name '*.lnk')"
values=$(entry)
[ -n "$values" ] || fail "no Apps & features entry"
for value in "\"DisplayName\"=\"Tarvel\"" "\"DisplayVersion\"=\"$version\"" \
  "\"Publisher\"=\"Tarvel developers\"" '"InstallLocation"="C:\\Program Files\\Tarvel"' \
  '"NoModify"=dword:00000001' '"NoRepair"=dword:00000001'; do
  grep -Fxq "$value" <<<"$values" || fail "the entry lacks $value: $values"
done
size=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]*\)$/\1/p' <<<"$values")
[ -n "$size" ] || fail "no EstimatedSize DWORD: $values"
kb=$(du -sk --apparent-size "$installed" | cut -f1)
((16#$size > 0 && 16#$size <= kb + 8 && 16#$size >= kb / 2)) || fail "EstimatedSize $((16#$size)) KB, installed $kb KB"

# Upgraded silently while the installed Tarvel runs: the installer asks it to close, and it
# ends with status 0 (the close command), so the exe is replaced. A Tarvel run from elsewhere
# (as from the portable zip) is none of its business and goes on running.
start_tarvel
"$WINE" "$build/form1/tarvel.exe" 2>/dev/null &
portable=$!
wait_for 60 two_forms || fail "the portable Tarvel shows no window"
"$WINE" "$rebuilt" /S >"$work/upgrade.log" 2>&1 || fail "the upgrade failed with status $?"
tarvel_ended "when the upgrade closed it"
is_rebuilt || fail "the upgrade reported success but the old exe is in place"
kill -0 "$portable" 2>/dev/null || fail "the upgrade closed a Tarvel it had not installed"
"$WINE" taskkill /IM tarvel.exe >/dev/null 2>&1 || true
status=0
wait "$portable" || status=$?
portable=
[ "$status" = 0 ] || fail "the portable Tarvel ended with status $status"

# An exe that cannot be replaced (held open by a program that does not let go) stops the
# upgrade with a non-zero status, and the installed exe is left as it was.
"$WINE" "$hold_file" 'C:\Program Files\Tarvel\tarvel.exe' 120 >"$work/hold.out" 2>&1 &
holder=$!
wait_for 60 grep -q held "$work/hold.out" || fail "the file was not held: $(cat "$work/hold.out")"
status=0
"$WINE" "$setup" /S >"$work/refused.log" 2>&1 || status=$?
kill "$holder"
wait "$holder" 2>/dev/null || true
holder=
[ "$status" != 0 ] || fail "the installer reported success though it could not replace the exe"
is_rebuilt || fail "a refused upgrade changed the installed exe"

# The wizard started over the installed Tarvel and cancelled: nothing changes, it still runs.
"$WINE" "$setup" >"$work/cancelled.log" 2>&1 &
setup_pid=$!
"$WINE" "$cancel_setup" "Tarvel $version Setup" >"$work/cancel.log" 2>&1 ||
  fail "could not cancel the wizard: $(cat "$work/cancel.log")"
status=0
wait "$setup_pid" || status=$?
setup_pid=
[ "$status" != 0 ] || fail "a cancelled installer ended with status 0"
is_rebuilt || fail "the cancelled installer changed the installed exe"
if [ ! -f "$installed/Uninstall.exe" ] || [ -z "$(entry)" ]; then
  fail "the cancelled installer removed Tarvel"
fi
start_tarvel
"$WINE" taskkill /IM tarvel.exe >/dev/null 2>&1 || fail "taskkill could not ask Tarvel to close"
tarvel_ended "on the close command"

# Uninstalled silently: the uninstaller hands over to a copy of itself and returns, so what it
# removes is waited for. Nothing of Tarvel's stays in the registry.
"$WINE" 'C:\Program Files\Tarvel\Uninstall.exe' /S >"$work/uninstall.log" 2>&1 ||
  fail "the uninstaller failed: $(cat "$work/uninstall.log")"
wait_for 60 test ! -e "$installed" || fail "left behind: $(find "$installed")"
[ -z "$(shortcut)" ] || fail "the Start-menu shortcut is left behind"
left=$(software | grep -E '^\[.*\\Tarvel( developers)?(\\|\])' || true)
[ -z "$left" ] || fail "left in the registry: $left"
echo "zip and installer ($(stat -c %s "$setup") bytes) install, upgrade, refuse, cancel and uninstall"
