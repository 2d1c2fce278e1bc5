#!/usr/bin/env bash
# The program stands on the field's own libraries: no SDL, no GL driver, no Xlib.
set -euo pipefail
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
libraries=$(ldd "$exe" | awk '{print $1}')
for unwanted in libSDL2 libSDL2_ttf libGL libEGL libgbm libX11.so libdecor; do
  if grep -q "^$unwanted" <<<"$libraries"; then
    fail "$exe links $unwanted"
  fi
done
for wanted in libxcb.so libxcb-shm.so libwayland-client.so libfreetype.so libfontconfig.so \
              libpixman-1.so; do
  grep -q "^$wanted" <<<"$libraries" || fail "$exe does not link $wanted"
done
echo "links $(wc -l <<<"$libraries") libraries, none of SDL, GL or Xlib"
