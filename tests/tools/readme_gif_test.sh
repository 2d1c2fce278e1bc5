#!/usr/bin/env bash
# One second recorded at every second frame is 30 frames of 312 x 213, and so is the GIF.
set -euo pipefail
record=$1
make_gif=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

count=$("$record" "$work" 1 2)
[ "$count" = 30 ] || fail "recorded $count frames, expected 30"
[ "$(ls "$work"/frame-*.ppm | wc -l)" = 30 ] || fail "found $(ls "$work" | wc -l) files"
[ "$(head -c 15 "$work/frame-0000.ppm" | tr '\n' ' ')" = "P6 312 213 255 " ] ||
  fail "frame header: $(head -c 15 "$work/frame-0000.ppm")"
# The same recording always gives the same pictures.
again=$(mktemp -d)
"$record" "$again" 1 2 >/dev/null
cmp -s "$work/frame-0029.ppm" "$again/frame-0029.ppm" || fail "recording is not repeatable"
rm -rf "$again"

bash "$make_gif" "$work/tarvel.gif" 1 >/dev/null
sizes=$(/usr/bin/identify -format '%W %H\n' "$work/tarvel.gif" | sort -u)
frames=$(/usr/bin/identify -format '%W %H\n' "$work/tarvel.gif" | wc -l)
[ "$frames" = 30 ] || fail "GIF has $frames frames"
[ "$sizes" = "312 213" ] || fail "GIF canvas: $sizes"
