#!/usr/bin/env bash
# The executable's resources, read back out of it with icoutils: the version record (1.00,
# U.S. English with Unicode text) and the icon, id 1, in its three images.
set -euo pipefail
exe=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v wrestool >/dev/null || fail "wrestool is missing (package icoutils)"

# The version record: its strings are UTF-16, each name (after its length, read as a stray
# character or two) on one line and its value on the next.
wrestool -x --raw --type=16 "$exe" >"$work/version.res" || fail "no version resource"
[ -s "$work/version.res" ] || fail "empty version resource"
text=$(iconv -f UTF-16LE -t UTF-8 "$work/version.res" 2>/dev/null | tr '\0' '\n' | tr -s '\n')
value() { awk -v name="$1" 'found { print; exit } $0 ~ ("(^|[^A-Za-z])" name "$") { found = 1 }' <<<"$text"; }
[ "$(value FileVersion)" = "$version" ] || fail "FileVersion: $(value FileVersion)"
[ "$(value ProductVersion)" = "$version" ] || fail "ProductVersion: $(value ProductVersion)"
[ "$(value InternalName)" = Tarvel ] || fail "InternalName: $(value InternalName)"
[ "$(value OriginalFilename)" = "$(basename "$exe")" ] ||
  fail "OriginalFilename: $(value OriginalFilename)"
grep -q '040904B0$' <<<"$text" || fail "no U.S. English, Unicode string table (040904B0)"
# VS_FIXEDFILEINFO: 1.00 as file version 1.0.0.0 (its signature, then the numbers).
od -An -tx1 -v "$work/version.res" | tr -d ' \n' |
  grep -q 'bd04effe000001000000010000000000' || fail "the fixed file version is not 1.0.0.0"

# The icon: group 1, three images of the sizes and depths Windows shows at each place.
wrestool -x --type=14 --name=1 "$exe" >"$work/tarvel.ico" || fail "no icon group 1"
images=$(icotool -l "$work/tarvel.ico" | sed 's/--index=[0-9]* //' | sort)
expected=$(printf '%s\n' \
  "--icon --width=16 --height=16 --bit-depth=4 --palette-size=16" \
  "--icon --width=32 --height=32 --bit-depth=1 --palette-size=2" \
  "--icon --width=32 --height=32 --bit-depth=4 --palette-size=16" | sort)
[ "$images" = "$expected" ] || fail "icon images differ:
$images"
# Its pixels are the XPM's: the 32 x 32 image has the cyan title bar.
icotool -x --width=32 --bit-depth=4 -o "$work/32.png" "$work/tarvel.ico"
[ "$(/usr/bin/convert "$work/32.png" -format '%[hex:p{3,5}]' info:)" = 00FFFFFF ] ||
  fail "the 32 x 32 icon has no cyan title bar"
echo "version $version, icon: $(echo "$images" | wc -l) images"
