#!/usr/bin/env bash
# The Windows packages carry LICENSE word for word: the zip's licence note (with Windows line
# ends), the installer's licence page, read back out of the installer's compressed data, and the
# copyright line of the executable's version record.
#   bash licence_test.sh BUILD SOURCE
set -euo pipefail
build=$1
licence=$2/LICENSE
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(cat "$work/cpack.log")"
zip=$(echo "$work"/out/*.zip)
setup=$(echo "$work"/out/*.exe)
{ [ -f "$zip" ] && [ -f "$setup" ]; } || fail "cpack made: $(ls "$work/out")"
sed 's/$/\r/' "$licence" >"$work/licence.crlf"

# The zip's note: LICENSE, every line ended by CR LF.
(cd "$work" && cmake -E tar xf "$zip")
note=$(find "$work" -path "$work/out" -prune -o -name licence.txt -print)
[ -n "$note" ] || fail "the zip has no licence.txt"
cmp "$note" "$work/licence.crlf" || fail "the zip's licence.txt is not LICENSE:
$(diff <(tr -d '\r' <"$note") "$licence")"

# The installer's licence page. After the stub, NSIS keeps a 28-byte header (its 16-byte
# signature at offset 4), then one LZMA stream (5 bytes of properties, no size)
# holding the installer's script, its strings and its files. The page's text is one UTF-16
# string there; the installed licence.txt is in it too, but as the file's own 8-bit bytes.
nsis_signature='\xef\xbe\xad\xde\x4e\x75\x6c\x6c\x73\x6f\x66\x74\x49\x6e\x73\x74'
signature=$(LC_ALL=C grep -m1 -obUaP "$nsis_signature" "$setup" | cut -d: -f1)
[ -n "$signature" ] || fail "no NSIS header in $setup"
data=$((signature - 4 + 28))
{
  dd status=none if="$setup" iflag=skip_bytes,count_bytes skip="$data" count=5
  printf '\377\377\377\377\377\377\377\377' # the .lzma format's "size unknown"
  tail -c +$((data + 6)) "$setup"
} >"$work/setup.lzma"
# The stream is followed by the installer's checksum, which xz reads as a bad end: what comes
# before it is all there, and is checked below.
xz --format=lzma -dc "$work/setup.lzma" >"$work/setup.data" 2>/dev/null || true
{
  iconv -f UTF-8 -t UTF-16LE "$work/licence.crlf"
  printf '\0\0'
} >"$work/page.expected"
first=$(head -1 "$licence" | tr -d "\n" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 |
  tr -d ' \n' | sed 's/../\\x&/g')
page=$(LC_ALL=C grep -m1 -obUaP "$first" "$work/setup.data" | cut -d: -f1)
[ -n "$page" ] || fail "the installer has no licence page starting \"$(head -1 "$licence")\""
dd status=none if="$work/setup.data" iflag=skip_bytes,count_bytes skip="$page" \
  count="$(stat -c %s "$work/page.expected")" of="$work/page"
cmp "$work/page" "$work/page.expected" || fail "the installer's licence page is not LICENSE:
$(iconv -f UTF-16LE -t UTF-8 "$work/page" | tr -d '\r' | diff - "$licence")"

# The version record's LegalCopyright is LICENSE's copyright line.
exe=$(find "$work/out/_CPack_Packages" -name tarvel.exe | head -1)
notice=$(grep -m1 '^Copyright (c) ' "$licence")
wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr '\0' '\n' |
  grep -qxF "$notice" || fail "the executable's version record lacks \"$notice\""
echo "zip note, installer page and version record all carry LICENSE"
