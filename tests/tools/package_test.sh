#!/usr/bin/env bash
# CPack's .deb: its name and control fields, its files in a scratch root, and the packaged
# program opening its window on an X server of the test's own.
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'kill "${tarvel:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb="$work/out/tarvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb; made: $(ls "$work/out")"
[ "$(dpkg-deb -f "$deb" Package)" = tarvel ] || fail "Package field"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libxcb1 libxcb-shm0 libwayland-client0 libfreetype6 libfontconfig1 libpixman-1-0 \
           fonts-dejavu-core; do
  grep -qw -- "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
# Worked out from what the binary links, with the versions it needs.
grep -qE 'libc6 \(>= [0-9.]+\)' <<<"$depends" || fail "Depends has no computed versions: $depends"
[ "$(dpkg-deb -f "$deb" Section)" = x11 ] || fail "Section field"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Tarvel developers <developers@tarvel.github.io>" ] ||
  fail "Maintainer field: $(dpkg-deb -f "$deb" Maintainer)"

# Debian's own checker has nothing to say about it, neither error nor warning.
command -v lintian >/dev/null || fail "lintian is missing (package lintian)"
verdict=0
said=$(lintian --fail-on error,warning "$deb" 2>&1) || verdict=$?
[ "$verdict" = 0 ] || fail "lintian finds fault with $deb: $said"
root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/tarvel usr/share/applications/io.github.tarvel.Tarvel.desktop \
            usr/share/icons/hicolor/32x32/apps/tarvel.png \
            usr/share/metainfo/io.github.tarvel.Tarvel.metainfo.xml \
            usr/share/man/man6/tarvel.6.gz usr/share/doc/tarvel/copyright \
            usr/share/doc/tarvel/changelog.gz; do
  [ -f "$root/$file" ] || fail "package lacks /$file"
done
# Stripped, and still carrying its version record.
! readelf -S "$root/usr/bin/tarvel" | grep -q '\.symtab' || fail "the packaged binary is not stripped"
readelf -p .tarvel.version "$root/usr/bin/tarvel" | grep -qF "FileVersion=$version" ||
  fail "the packaged binary lost its version record"
grep -qx 'Icon=tarvel' "$root/usr/share/applications/io.github.tarvel.Tarvel.desktop" ||
  fail "menu entry names another icon"

# The packaged program runs: a window titled Form1 appears, and SIGTERM ends it with status 0.
exec {fd}<> <(:)
# -noreset: a server that resets when its first client (xwininfo below) leaves may turn the
# program away mid-reset.
Xvfb -displayfd "$fd" -screen 0 800x600x24 -noreset -nolisten tcp 2>/dev/null &
xvfb=$!
read -r -u "$fd" number
DISPLAY=":$number" "$root/usr/bin/tarvel" &
tarvel=$!
for _ in $(seq 300); do  # up to 30 s: a busy machine may be slow to start it
  DISPLAY=":$number" xwininfo -name Form1 >/dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=":$number" xwininfo -name Form1 >/dev/null 2>&1 || fail "no Form1 window"
kill -TERM "$tarvel"
status=0
wait "$tarvel" || status=$?
tarvel=
[ "$status" = 0 ] || fail "packaged program ended with status $status"
echo "package $(basename "$deb") is complete and runs"
