#!/usr/bin/env bash
# The executable stands alone: linked statically (no MinGW runtime DLLs beside it), it imports
# only DLLs every Windows has; its header asks for ASLR, DEP and terminal-server awareness.
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
objdump=x86_64-w64-mingw32-objdump
command -v "$objdump" >/dev/null || fail "$objdump is missing (package binutils-mingw-w64-x86-64)"
headers=$("$objdump" -p "$exe")
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort)
[ -n "$imports" ] || fail "no import table in $exe"
for dll in $imports; do
  case "$dll" in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | msvcrt.dll) ;;
    *) fail "imports $dll, which Windows does not carry: $(echo $imports)" ;;
  esac
done
for needed in kernel32.dll user32.dll gdi32.dll; do
  grep -qx "$needed" <<<"$imports" || fail "does not import $needed: $(echo $imports)"
done
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || fail "not a windowed (GUI) program"
# Windows may place it anywhere (ASLR, high entropy) and never runs its data (DEP): 0x160; and
# it is terminal-server aware: 0x8000.
characteristics=$(awk '/^DllCharacteristics/ {print $2}' <<<"$headers")
(( (16#$characteristics & 16#8160) == 16#8160 )) || fail "DllCharacteristics $characteristics"
echo "imports: $(echo $imports); $(stat -c %s "$exe") bytes"
