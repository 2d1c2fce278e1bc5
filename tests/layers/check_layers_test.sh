#!/usr/bin/env bash
# The layer check itself: passes a small tree whose includes keep the layers, then fails on each
# wrong-way include planted in it, naming the file and the line.
#   bash check_layers_test.sh CHECKER
set -euo pipefail
checker=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cd "$work"
mkdir -p form1 resources runtime/{platform,native,x11,wayland,freetype}
put() { mkdir -p "$(dirname "$1")" && printf '%s\n' "${@:2}" >"$1"; }
put form1/form1.cpp '#include "form1/form1.h"' '#include "runtime/form.h"' \
  '#include "runtime/types.h"' '#include "resources/icons.h"'
put form1/form1.h '#pragma once'
put resources/icons.h '#pragma once'
put runtime/form.h '#include "runtime/backend.h"'
put runtime/backend.h '#include <memory>' '#include "runtime/types.h"'
put runtime/types.h '#pragma once'
put runtime/platform/platform.cpp '#include "runtime/x11/window.h"' \
  '#include "runtime/wayland/window.h"' '#include "runtime/form.h"'
put runtime/native/window_list.h '#include "runtime/backend.h"'
put runtime/x11/window.h '#include "runtime/native/window_list.h"' '#include "runtime/backend.h"'
put runtime/wayland/window.h '#include "xdg-shell-client.h"' '#include "runtime/wayland/owned.h"'
put runtime/wayland/owned.h '#pragma once'
put runtime/freetype/text_engine.cpp '#include "runtime/types.h"'

out=$(bash "$checker" .) || fail "a sound tree failed: $out"
grep -q '^layers: 12 files include only' <<<"$out" || fail "not every file was read: $out"

# Each fault alone, appended as the file's next line.
expect_wrong() {
  local file=$1 include=$2 why=$3 out lines
  [[ -e $file ]] && cp "$file" "$work.sound" || rm -f "$work.sound"
  mkdir -p "$(dirname "$file")"
  echo "#include \"$include\"" >>"$file"
  lines=$(wc -l <"$file")
  if out=$(bash "$checker" .); then
    fail "$file including $include passed: $out"
  fi
  grep -qF "$file:$lines: includes \"$include\": $why" <<<"$out" ||
    fail "$file including $include: expected '$why' at line $lines: $out"
  if [[ -e $work.sound ]]; then mv "$work.sound" "$file"; else rm "$file"; fi
}
expect_wrong runtime/form.h runtime/x11/window.h 'core may not include backend:x11'
expect_wrong runtime/backend.h runtime/form.h 'seam may not include core'
expect_wrong runtime/x11/window.h runtime/form.h 'backend:x11 may not include core'
expect_wrong runtime/wayland/owned.h runtime/x11/window.h \
  'backend:wayland may not include backend:x11'
expect_wrong runtime/native/window_list.h runtime/platform/platform.h \
  'native may not include platform'
expect_wrong runtime/freetype/text_engine.cpp runtime/x11/window.h \
  'engine:freetype may not include backend:x11'
expect_wrong form1/form1.cpp runtime/native/window_list.h 'form1 may not include native'
expect_wrong runtime/form.h form1/form1.h 'core may not include form1'

# A folder the check does not know cannot slip past it.
put runtime/gpu/renderer.cpp '#include "runtime/types.h"'
if out=$(bash "$checker" .); then
  fail "an unknown runtime folder passed: $out"
fi
grep -qF 'runtime/gpu/renderer.cpp: in a runtime folder of no known layer' <<<"$out" ||
  fail "the unknown folder was not named: $out"
echo "the layer check passes a sound tree and names each of 9 wrong includes"
