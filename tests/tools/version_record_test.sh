#!/usr/bin/env bash
# The executable carries its version record, readable with readelf and strings.
set -euo pipefail
exe=$1
version=$2
fail() { echo "FAIL: $*"; exit 1; }
record=$(readelf -p .tarvel.version "$exe")
for field in "FileVersion=$version" "ProductVersion=$version" "InternalName=Tarvel" \
             "OriginalFilename=Tarvel" "Language=U.S. English (0409), Unicode (04B0)"; do
  grep -qF "$field" <<<"$record" || fail "missing $field in: $record"
done
grep -qx "FileVersion=$version" <<<"$(strings "$exe")" || fail "strings does not show the version"
echo "version record: $version"
