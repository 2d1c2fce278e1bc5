#!/usr/bin/env bash
# The link check itself: passes a small repository whose links all lead somewhere (links in code
# and web links left alone, repeated headings numbered), then fails on each dead link planted in
# it, naming the file, the line and the link.
#   bash doc_links_test.sh CHECKER
set -euo pipefail
checker=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/repo/docs" "$work/repo/src" "$work/repo/build"
cd "$work/repo"
touch src/main.cpp docs/picture.gif build/made.o
echo '/build/' >.gitignore
cat >docs/guide.md <<'MD'
# Guide

## Steps
## Steps
Back to the [start](../README.md#a-project-of-ours), the [code](../src/) and [the rest](#steps-1).
MD
cat >README.md <<'MD'
# A project of ours

![picture](docs/picture.gif) and the [guide](docs/guide.md#steps), [main](/src/main.cpp).
See [the web](https://example.invalid/nowhere) or [write](mailto:someone@example.invalid).
Code is no link: `[x](nowhere.md)`.
[ref]: docs/guide.md

```sh
echo "[y](nowhere/either)"
```
MD
if command -v git >/dev/null; then
  git init -q .
fi
out=$(bash "$checker" . README.md docs/guide.md) || fail "a sound repository failed: $out"
grep -q '^7 local links in 2 Markdown files' <<<"$out" || fail "not every link was seen: $out"

# Each fault alone, appended to the README's last line (line 11).
expect_dead() {
  local link=$1 why=$2 out
  cp README.md README.sound
  echo "$link" >>README.md
  if out=$(bash "$checker" . README.md docs/guide.md); then
    fail "$link passed: $out"
  fi
  grep -qF "README.md:11: " <<<"$out" || fail "$link: not named by file and line: $out"
  grep -qF "$why" <<<"$out" || fail "$link: expected '$why': $out"
  mv README.sound README.md
}
expect_dead '[gone](docs/gone.md)' 'docs/gone.md: no such file or folder'
expect_dead '![gone](docs/gone.png "a title")' 'docs/gone.png: no such file or folder'
expect_dead '[heading](docs/guide.md#no-such-heading)' 'no heading with that anchor'
expect_dead '[own heading](#nope)' '#nope: no heading with that anchor'
expect_dead '[third steps](docs/guide.md#steps-2)' 'no heading with that anchor'
expect_dead '[outside](../elsewhere)' 'leads out of the repository'
expect_dead '[not a scheme](docs/a:b.md)' 'docs/a:b.md: no such file or folder'
expect_dead '[def]: src/gone.cpp' 'src/gone.cpp: no such file or folder'
if command -v git >/dev/null; then
  expect_dead '[built](build/made.o)' 'ignored by git'
fi

# A page the check was asked for that is not there is a fault too.
if out=$(bash "$checker" . README.md docs/missing.md); then
  fail "a missing page passed: $out"
fi
echo "the link check passes sound links and names each dead one"
