#!/usr/bin/env bash
# How big and how light the web page is: each file of the site and the whole gzip-compressed,
# then the browsers' figures (bench/web_figures.js): navigation to the first red pixel in
# headless Chromium, frames a second and frames drawn per animation frame in Chromium, Firefox
# and WebKitGTK, and Chromium's renderer busy share against an empty animation frame page. It
# reports figures; it passes or fails nothing. Needs the web build and the browser tests' npm
# packages (scripts/test.sh makes both).
#
#   bash bench/measure-web.sh [SECONDS]      (default 10, for each frame count)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake --build --preset web --target tarvel tarvel_icons >/dev/null
site=build/web/site

row() { printf '%-48s %s\n' "$1" "$2"; }
for file in "$site"/*; do
  row "$(basename "$file")" "$(stat -c %s "$file") bytes, $(gzip -9n -c "$file" | wc -c) gzipped"
done
row "the site" "$(cat "$site"/* | wc -c) bytes, $(
  for file in "$site"/*; do gzip -9n -c "$file"; done | wc -c) gzipped, file by file"
node bench/web_figures.js "$site" "$seconds"
