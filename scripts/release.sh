#!/usr/bin/env bash
# Makes a release of the committed tree (HEAD) into dist/, every package from one command:
#   tarvel-VERSION.tar.gz                 the source, as `git archive` gives it
#   tarvel_VERSION_ARCH.deb               the Debian package
#   tarvel-VERSION-windows-x64.zip/.exe   the Windows program: portable zip, and installer
#   tarvel-VERSION-web.zip                the web build, when the tree has a "web" preset
#   SHA256SUMS                            their checksums: `sha256sum -c SHA256SUMS` checks them
#
#   bash scripts/release.sh [VERSION]            make the release (VERSION: refuse any other)
#   bash scripts/release.sh --verify [VERSION]   make it twice, in different folders at different
#                                                times, and show any byte that differs
#
# Everything is built from a clean export of HEAD in a folder of its own, never from the working
# tree, so build/ and what it holds are left alone. Every time stamp is the commit's
# (SOURCE_DATE_EPOCH), so the same commit gives the same bytes wherever and whenever it is made.
set -euo pipefail
cd "$(dirname "$0")/.."
verify=false
if [ "${1:-}" = --verify ]; then
  verify=true
  shift
fi
wanted=${1:-}
fail() { echo "release: $*" >&2; exit 1; }

# What is released is a commit: nothing may be left uncommitted, tracked or not.
command -v git >/dev/null || fail "git is missing (bash scripts/setup.sh release)"
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || fail "not a git checkout"
changes=$(git status --porcelain --untracked-files=normal)
[ -z "$changes" ] || fail "the tree has uncommitted changes; commit or remove them first:
$changes"

# One version: CMake's. A version asked for, or a version tag on HEAD, must be that one.
version=$(sed -nE 's/^project\(Tarvel VERSION ([0-9.]+)[ )].*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt's project()"
if [ -n "$wanted" ] && [ "$wanted" != "$version" ]; then
  fail "asked for version $wanted, but CMakeLists.txt says $version"
fi
for tag in $(git tag --points-at HEAD 'v[0-9]*'); do
  [ "$tag" = "v$version" ] || fail "HEAD is tagged $tag, but CMakeLists.txt says $version"
done

bash scripts/setup.sh release

commit=$(git rev-parse HEAD)
# Every time stamp in the release: the commit's own.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
# The web preset sets this for em++ (whose tools need Debian's node modules, which a node from
# elsewhere does not search); the release builds in its own folders, outside the presets' run.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvel-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
# shellcheck source=scripts/release-build.sh
source scripts/release-build.sh

echo "Tarvel $version, commit $commit ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
rm -rf dist
build_release "$work/one" dist
echo
echo "dist/:"
(cd dist && for file in *; do
  printf '  %-36s %9s bytes  %s\n' "$file" "$(stat -c %s "$file")" \
    "$(sha256sum "$file" | cut -d' ' -f1)"
done)

if $verify; then
  # Later, and in a folder whose path differs from the first's even in length.
  echo
  echo "Making the release again, elsewhere, to compare"
  build_release "$work/second/build/elsewhere" "$work/second/dist"
  compare_releases dist "$work/second/dist"
fi
