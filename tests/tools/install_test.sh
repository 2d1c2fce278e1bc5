#!/usr/bin/env bash
# `cmake --install` puts the program, its menu entry, icons and metainfo in their standard
# places under any prefix, and the desktop tools accept the entry and the metainfo.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/tarvel
share/applications/io.github.tarvel.Tarvel.desktop
share/doc/tarvel/changelog.gz
share/doc/tarvel/copyright
share/icons/hicolor/16x16/apps/tarvel.png
share/icons/hicolor/32x32/apps/tarvel.png
share/icons/hicolor/scalable/apps/tarvel.svg
share/man/man6/tarvel.6.gz
share/metainfo/io.github.tarvel.Tarvel.metainfo.xml"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$actual" = "$expected" ] || fail "installed files differ:
$actual"
[ -x "$prefix/bin/tarvel" ] || fail "tarvel is not executable"
[ "$(/usr/bin/identify -format '%w %h' "$prefix/share/icons/hicolor/16x16/apps/tarvel.png")" = "16 16" ] ||
  fail "16x16 icon has the wrong size"
[ "$(/usr/bin/identify -format '%w %h' "$prefix/share/icons/hicolor/32x32/apps/tarvel.png")" = "32 32" ] ||
  fail "32x32 icon has the wrong size"
# The PNGs hold the icon's own pixels: the cyan title bar.
[ "$(/usr/bin/convert "$prefix/share/icons/hicolor/32x32/apps/tarvel.png" -format '%[hex:p{3,5}]' info:)" = 00FFFFFF ] ||
  fail "32x32 icon has no cyan title bar"
desktop-file-validate "$prefix/share/applications/io.github.tarvel.Tarvel.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.tarvel.Tarvel.metainfo.xml" >/dev/null ||
  fail "appstreamcli rejects the metainfo"
grep -q '<release version="1.00"' "$prefix/share/metainfo/io.github.tarvel.Tarvel.metainfo.xml" ||
  fail "metainfo release is not the project version"
echo "installed and valid"
