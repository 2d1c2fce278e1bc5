#!/usr/bin/env bash
# The shipped executable carries its hardening: PIE, full RELRO, stack protector, fortified libc.
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
header=$(readelf -h "$exe")
segments=$(readelf -lW "$exe")
dynamic=$(readelf -dW "$exe")
symbols=$(readelf -sW --dyn-syms "$exe")

grep -q 'Type:.*DYN' <<<"$header" || fail "not a position-independent executable"
grep -q 'GNU_RELRO' <<<"$segments" || fail "no RELRO segment"
grep -qE 'BIND_NOW|FLAGS.*NOW' <<<"$dynamic" || fail "relocations are not bound at start (-z now)"
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"
grep -qE '__[a-z]+_chk' <<<"$(grep -v __stack_chk <<<"$symbols")" || fail "no fortified libc calls"
echo "hardened: PIE, full RELRO, stack protector, fortify"
