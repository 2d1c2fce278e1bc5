#!/usr/bin/env bash
# Renders the README's animation, docs/tarvel.gif: Tarvel's first three seconds, drawn by the
# headless backend (so every run gives the same picture) at 30 frames a second.
#
#   bash tools/make-readme-gif.sh [OUTPUT.gif] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/tarvel.gif}
seconds=${2:-3}

cmake --preset release >/dev/null
cmake --build --preset release --target tarvel_record >/dev/null
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT

# Every second frame of 60 Hz is 30 frames a second. GIF delays are in hundredths of a second,
# so the frames take 3, 3 and 4 in turn: exactly 10 hundredths for every 3 frames.
count=$(build/release/tools/tarvel_record "$frames" "$seconds" 2)
args=()
for ((i = 0; i < count; i++)); do
  delay=3
  if ((i % 3 == 2)); then delay=4; fi
  args+=(-delay "$delay" "$(printf '%s/frame-%04d.ppm' "$frames" "$i")")
done
/usr/bin/convert -loop 0 "${args[@]}" -layers Optimize "$out"
echo "$out: $count frames"
