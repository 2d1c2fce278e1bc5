#!/usr/bin/env bash
# The licence reads the same wherever it appears: LICENSE, the README's copy, and what the built
# .deb carries: the copyright file in Debian's machine-readable form (Expat, as Debian names
# MIT), the manual page's COPYRIGHT section as it renders, and the metainfo's licence id.
#   bash licence_test.sh BUILD SOURCE
set -euo pipefail
build=$1
source_dir=$2
licence=$source_dir/LICENSE
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The same words, however a format wraps and indents them.
words() { tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }

[ "$(head -1 "$licence")" = "MIT License" ] || fail "LICENSE is not the MIT licence"
notice=$(grep -m1 '^Copyright (c) ' "$licence") || fail "LICENSE has no copyright line"
# The terms: what follows the copyright line and the empty line after it.
terms=$(sed '1,/^Copyright (c) /d' "$licence" | sed '1{/^$/d}')

# The README quotes LICENSE whole, in the one fenced block of its Licence section.
readme=$(awk '/^## / { inside = ($0 == "## Licence") } inside' "$source_dir/README.md" |
  awk '/^```/ { fence++; next } fence == 1')
[ "$readme" = "$(cat "$licence")" ] || fail "the README's licence is not LICENSE:
$(diff <(echo "$readme") "$licence")"

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  fail "cpack: $(cat "$work/cpack.log")"
dpkg-deb -x "$(echo "$work"/out/*.deb)" "$work/root"
doc=$work/root/usr/share

# The copyright file: every file under Expat, held by LICENSE's holders, and a stand-alone
# Expat paragraph whose text, unindented, is LICENSE's terms line for line.
copyright=$doc/doc/tarvel/copyright
grep -qx 'Files: \*' "$copyright" || fail "the copyright file has no 'Files: *' paragraph"
grep -qxF "Copyright: ${notice#Copyright (c) }" "$copyright" ||
  fail "the copyright file does not name: ${notice#Copyright (c) }"
[ "$(grep -cx 'License: Expat' "$copyright")" = 2 ] ||
  fail "the copyright file does not put the files under Expat and give its text"
debian=$(awk 'text && !/^ / { exit } text { print } /^License: Expat$/ && blank { text = 1 }
              { blank = ($0 == "") }' "$copyright")
# Debian's form: one space before each line, and " ." for an empty one.
expected=$(sed 's/^$/./; s/^/ /' <<<"$terms")
[ "$debian" = "$expected" ] || fail "the copyright file's Expat text is not LICENSE's:
$(diff <(echo "$debian") <(echo "$expected"))"

# The manual page's COPYRIGHT section, as man renders it.
page=$(LC_ALL=C MANWIDTH=120 man -l "$doc/man/man6/tarvel.6.gz" 2>/dev/null |
  awk '/^[A-Z]/ { inside = ($0 == "COPYRIGHT"); next } inside' | words)
[ "$page" = "$(printf '%s\n%s\n' "$notice" "$terms" | words)" ] ||
  fail "the manual page's COPYRIGHT section is not LICENSE: $page"

# The metainfo names the licence by its SPDX id.
metainfo=$doc/metainfo/io.github.tarvel.Tarvel.metainfo.xml
grep -qx '  <project_license>MIT</project_license>' "$metainfo" ||
  fail "the metainfo's licence: $(grep project_license "$metainfo")"
echo "LICENSE, the README, the copyright file, the manual page and the metainfo agree"
