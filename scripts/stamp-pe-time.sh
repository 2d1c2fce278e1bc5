#!/usr/bin/env bash
# Writes a time into a PE file's header (its COFF TimeDateStamp), in place:
#   bash scripts/stamp-pe-time.sh FILE SECONDS
# For files whose header checksum is unset (0), as makensis leaves its installers: a set one
# would no longer match.
set -euo pipefail
file=$1
seconds=$2
fail() { echo "stamp-pe-time: $file: $*" >&2; exit 1; }
u32() { od -An -tu4 -j "$1" -N 4 "$file" | tr -d ' '; }
[ "$(head -c 2 "$file")" = MZ ] || fail "not a PE file"
header=$(u32 60)
[ "$(od -An -tx1 -j "$header" -N 4 "$file" | tr -d ' ')" = 50450000 ] || fail "no PE signature"
# The checksum sits 64 bytes into the optional header, which follows the 20-byte COFF header.
[ "$(u32 $((header + 24 + 64)))" = 0 ] || fail "has a checksum, which a new time would break"
((seconds >= 0 && seconds < 2 ** 32)) || fail "time out of range: $seconds"
bytes=$(printf '%08x' "$seconds" | sed -E 's/(..)(..)(..)(..)/\\x\4\\x\3\\x\2\\x\1/')
# shellcheck disable=SC2059 # the format is the bytes, made just above
printf "$bytes" | dd status=none of="$file" bs=1 seek=$((header + 8)) conv=notrunc
[ "$(u32 $((header + 8)))" = "$seconds" ] || fail "the time did not take"
