#!/usr/bin/env bash
# The web package: cpack makes tarvel-VERSION-web.zip holding the whole site in one folder, and
# the site names only its own files, by relative URLs, so it works from any host and path.
#   bash package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G ZIP >/dev/null)
zip=$build/tarvel-$version-web.zip
unzip -q "$zip" -d "$work"
site=$work/tarvel-$version-web
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for file in index.html start.js tarvel.css tarvel.js tarvel.wasm manifest.webmanifest \
  tarvel-16.png tarvel-32.png tarvel.svg; do
  [ -s "$site/$file" ] || fail "$file missing from the package"
done
[ "$(find "$work" -mindepth 1 -maxdepth 1 | wc -l)" -eq 1 ] || fail "more than one folder"

# Every URL the page and manifest name is one of the site's own files, relative.
urls=$(grep -ohE '(href|src)="[^"]*"' "$site/index.html" | sed -E 's/^[a-z]+="(.*)"$/\1/'
  grep -oE '"(src|start_url|scope)": *"[^"]*"' "$site/manifest.webmanifest" |
    sed -E 's/.*: *"(.*)"$/\1/')
for url in $urls; do
  case "$url" in
    .) ;;
    */* | *:*) fail "not a relative URL of the site's own: $url" ;;
    *) [ -f "$site/$url" ] || fail "names a file the site lacks: $url" ;;
  esac
done
grep -q "<meta name=\"version\" content=\"$version\">" "$site/index.html" ||
  fail "the page does not carry its version"
grep -q 'Content-Security-Policy' "$site/index.html" || fail "no Content-Security-Policy"
grep -q '<script>' "$site/index.html" && fail "an inline script"
python3 - "$site/manifest.webmanifest" <<'PY' || fail "the manifest is not what a browser installs"
import json, sys
manifest = json.load(open(sys.argv[1]))
assert manifest["name"] == "Tarvel" and manifest["display"] == "standalone"
assert manifest["background_color"] == manifest["theme_color"] == "#000000"
assert {icon["sizes"] for icon in manifest["icons"]} == {"16x16", "32x32", "any"}
PY
# The favicons are the icon's own 16 and 32 pixel images.
for size in 16 32; do
  file "$site/tarvel-$size.png" | grep -q "$size x $size" || fail "tarvel-$size.png is not $size px"
done
echo "package: $(basename "$zip"), $(stat -c %s "$zip") bytes"
