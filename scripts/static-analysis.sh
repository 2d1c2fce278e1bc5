#!/usr/bin/env bash
# Formatting, clang-tidy and cppcheck over the project's own C++; any finding fails the run.
# Needs the release build's compile_commands.json (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t all < <(git ls-files '*.cpp' '*.h')
mapfile -t sources < <(git ls-files 'runtime/*.cpp' 'form1/*.cpp' 'tools/*.cpp' 'bench/*.cpp')

echo "clang-format: ${#all[@]} files"
clang-format --dry-run --Werror "${all[@]}"

echo "clang-tidy: ${#sources[@]} files"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Every file is checked before the verdict, so one run lists every finding.
printf '%s\0' "${sources[@]}" |
  xargs -0 -n 1 -P "$(nproc)" clang-tidy -p build/release --quiet 2>/dev/null >"$log" || true
cat "$log"
if grep -qE '(warning|error):' "$log"; then
  echo "clang-tidy found problems"
  exit 1
fi

echo "cppcheck"
cppcheck --std=c++20 --language=c++ --enable=warning,performance,portability --inline-suppr \
  --error-exitcode=1 --quiet -I . runtime form1 tools bench

echo "static analysis: clean"
