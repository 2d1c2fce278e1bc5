#!/usr/bin/env bash
# Keeps the layers: fails, naming the file and line, when one of our C++ files includes a header
# its layer may not use. Reads the sources only, so it needs no build.
#
#   bash scripts/check-layers.sh [ROOT]      (default: this repository)
#
# The layers, from the program down (a layer includes its own headers and those to its right):
#
#   form1 → runtime core → the seams ← backends and text engines
#                                    ← native (what the native backends share)
#   platform: picks the backend for a build, so it alone may include every layer of the runtime.
#
# The seams are the backend and text/pixel interfaces with the vocabulary they speak; backends
# and text engines implement them and never see the core, each other or the platform choice.
# Tests, benchmarks and tools may include anything, so they are not checked.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# The seams: runtime/ files that the core, backends and text engines all stand on.
seams=" backend.h clock.h design.h font_list.h icon.h icon.cpp pixel_buffer.h plain_surface.cpp
  rect.h rect.cpp surface.h surface.cpp text.h text.cpp text_engine.h text_measurer.h types.h "

# Sets `layer` to the layer of a file or included path; a backend or text engine is named with
# its folder, so that none may include another.
layer_of() {
  local folder=${1#runtime/}
  folder=${folder%%/*}
  case "$1" in
    form1/*) layer=form1 ;;
    resources/*) layer=resources ;;
    runtime/platform/*) layer=platform ;;
    runtime/native/*) layer=native ;;
    runtime/x11/* | runtime/wayland/* | runtime/windows/* | runtime/web/* | runtime/headless/*)
      layer="backend:$folder"
      ;;
    runtime/freetype/* | runtime/gdi/* | runtime/canvas/*) layer="engine:$folder" ;;
    runtime/*/*) layer=unknown ;;
    runtime/*) if [[ $seams == *" $folder "* ]]; then layer=seam; else layer=core; fi ;;
    *) layer=other ;;
  esac
}

# Whether a file of layer $1 may include a header of layer $2.
allowed() {
  local from=$1 to=$2
  [[ $from == "$to" ]] && return 0
  case "$from" in
    form1) [[ $to == core || $to == seam || $to == resources ]] ;;
    platform) [[ $to != form1 && $to != unknown ]] ;;
    core) [[ $to == seam ]] ;;
    seam | resources) return 1 ;;
    native | backend:* | engine:*) [[ $to == seam || $to == native ]] ;;
    *) return 0 ;;
  esac
}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # Files not yet added count too, so a mistake is caught before it is committed.
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- 'form1/*' 'runtime/*' \
    'resources/*' |
    grep -E '\.(cpp|h)$')
else
  mapfile -t files < <(find form1 runtime resources -name '*.cpp' -o -name '*.h' 2>/dev/null |
    sort)
fi

wrong=0
for file in "${files[@]}"; do
  layer_of "$file"
  from=$layer
  if [[ $from == unknown ]]; then
    echo "$file: in a runtime folder of no known layer (add it to scripts/check-layers.sh)"
    wrong=$((wrong + 1))
    continue
  fi
  line=0
  while IFS= read -r text; do
    line=$((line + 1))
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    included=${BASH_REMATCH[1]}
    layer_of "$included"
    to=$layer
    # Generated headers (the Wayland protocols) are found on the include path, not in our tree.
    [[ $to == other ]] && continue
    if ! allowed "$from" "$to"; then
      echo "$file:$line: includes \"$included\": $from may not include $to"
      wrong=$((wrong + 1))
    fi
  done <"$file"
done

if ((wrong > 0)); then
  echo "layers: $wrong include(s) go the wrong way"
  exit 1
fi
echo "layers: ${#files[@]} files include only what their layer may"
