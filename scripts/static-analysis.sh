#!/usr/bin/env bash
# The layers, formatting, clang-tidy and cppcheck over the project's own C++; any finding fails
# the run.
# Needs the release, Windows and web builds' compile_commands.json (scripts/test.sh configures
# them first).
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t all < <(git ls-files '*.cpp' '*.h')
# Built for Linux; for Windows only (the Win32 backend, the GDI text engine and the bitmap they
# share); for the web only (the page's backend and driver, the canvas text engine). The picker
# and the plain surfaces are read once for each build they are in.
mapfile -t sources < <(git ls-files 'runtime/*.cpp' 'form1/*.cpp' 'tools/*.cpp' 'bench/*.cpp' \
  ':!runtime/windows/*' ':!runtime/gdi/*' ':!runtime/native/dib_section.cpp' \
  ':!runtime/web/*' ':!runtime/canvas/*' ':!runtime/platform/page_session.cpp' \
  ':!runtime/plain_surface.cpp')
mapfile -t windows_sources < <(git ls-files 'runtime/windows/*.cpp' 'runtime/gdi/*.cpp' \
  'runtime/native/dib_section.cpp' 'runtime/plain_surface.cpp' 'runtime/platform/platform.cpp')
mapfile -t web_sources < <(git ls-files 'runtime/web/*.cpp' 'runtime/canvas/*.cpp' \
  'runtime/platform/*.cpp' 'runtime/plain_surface.cpp')

# Which layer may include which: reads the sources alone, so it goes first.
bash scripts/check-layers.sh

echo "clang-format: ${#all[@]} files"
clang-format --dry-run --Werror "${all[@]}"

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# clang reads the Windows sources as the cross compiler does: its target, and its C++ library
# (whose folder name, 12-posix, clang would not find by itself).
windows_args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
while read -r dir; do
  case "$dir" in */c++*) windows_args+=("--extra-arg=-isystem$dir") ;; esac
done < <(x86_64-w64-mingw32-g++-posix -E -x c++ - -v </dev/null 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | sed 's/^ *//')

# And the web sources as Emscripten's compiler does: its target and its system headers.
sysroot=/usr/share/emscripten/cache/sysroot
web_args=(--extra-arg=--target=wasm32-unknown-emscripten "--extra-arg=--sysroot=$sysroot"
  --extra-arg=-D__EMSCRIPTEN__ --extra-arg=-DEMSCRIPTEN "--extra-arg=-isystem$sysroot/include/compat")

echo "clang-tidy: ${#sources[@]} files for Linux, ${#windows_sources[@]} for Windows," \
  "${#web_sources[@]} for the web"
# Every file is checked before the verdict, so one run lists every finding.
{
  printf '%s\0' "${sources[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p build/release --quiet 2>/dev/null || true
  printf '%s\0' "${windows_sources[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p build/windows --quiet "${windows_args[@]}" \
      2>/dev/null || true
  printf '%s\0' "${web_sources[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p build/web --quiet "${web_args[@]}" \
      2>/dev/null || true
} >"$log"
cat "$log"
if grep -qE '(warning|error):' "$log"; then
  echo "clang-tidy found problems"
  exit 1
fi

echo "cppcheck"
cppcheck --std=c++20 --language=c++ --enable=warning,performance,portability --inline-suppr \
  --error-exitcode=1 --quiet -I . runtime form1 tools bench

echo "static analysis: clean"
