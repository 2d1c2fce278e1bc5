#!/usr/bin/env bash
# Every local link in the project's own Markdown leads somewhere: each relative link or image
# names a file or folder of the repository (inside it, and not one git ignores, such as build/),
# and each #anchor into our Markdown names one of that page's headings. Web links are not
# fetched: CI has no network, and they are not ours to keep. Links in code are not links.
#   bash doc_links.sh SOURCE [FILE...]    (default: README.md, CONTRIBUTING.md and docs/*.md)
set -euo pipefail
root=$(cd "$1" && pwd -P) # as realpath gives it, through any symlink
shift
cd "$root"
files=("$@")
if ((${#files[@]} == 0)); then
  shopt -s nullglob
  files=(README.md CONTRIBUTING.md docs/*.md)
fi
git_tree=false
if command -v git >/dev/null && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git_tree=true
fi

# Prints "LINE<TAB>TARGET" for each link of a Markdown file, outside fenced blocks and inline
# code: inline links and images, [text](target "title"), and reference definitions.
links() {
  awk '
    /^[ ]*(```|~~~)/ { fenced = !fenced; next }
    fenced { next }
    {
      line = $0
      gsub(/`[^`]*`/, "", line)
      if (match(line, /^[ ]*\[[^]]+\]:[ ]*[^ ]+/)) {
        definition = substr(line, RSTART, RLENGTH)
        sub(/^[ ]*\[[^]]+\]:[ ]*/, "", definition)
        print NR "\t" definition
      }
      while (match(line, /\]\([^) ]+/)) {
        print NR "\t" substr(line, RSTART + 2, RLENGTH - 2)
        line = substr(line, RSTART + RLENGTH)
      }
    }' "$1"
}

# Prints the anchors of a Markdown file's headings as the code host makes them: lower case,
# punctuation dropped, spaces to hyphens, and "-1", "-2" after a heading's repeats.
anchors() {
  awk '
    /^[ ]*(```|~~~)/ { fenced = !fenced; next }
    fenced || !/^#+ / { next }
    {
      text = $0
      sub(/^#+ +/, "", text)
      sub(/ +#+ *$/, "", text)
      text = tolower(text)
      gsub(/[!-,.\/:-@[-^`{-~]/, "", text)
      gsub(/ /, "-", text)
      slug = text
      if (text in seen) slug = text "-" seen[text]
      seen[text]++
      print slug
    }' "$1"
}

faults=0
checked=0
fault() {
  echo "$1:$2: $3: $4"
  faults=$((faults + 1))
}

for file in "${files[@]}"; do
  if [ ! -f "$file" ]; then
    fault "$file" 0 "$file" "no such Markdown file"
    continue
  fi
  while IFS=$'\t' read -r line target; do
    # https:, mailto: and the like: not fetched.
    [[ "$target" =~ ^[a-zA-Z][a-zA-Z0-9+.-]*: ]] && continue
    checked=$((checked + 1))
    path=${target%%#*}
    anchor=
    [ "$path" = "$target" ] || anchor=${target#*#}
    if [ -z "$path" ]; then
      resolved=$root/$file
    elif [ "${path:0:1}" = / ]; then
      resolved=$(realpath -m "$root$path")
    else
      resolved=$(realpath -m "$(dirname "$root/$file")/$path")
    fi
    case "$resolved/" in
      "$root"/*) ;;
      *)
        fault "$file" "$line" "$target" "leads out of the repository"
        continue
        ;;
    esac
    if [ ! -e "$resolved" ]; then
      fault "$file" "$line" "$target" "no such file or folder"
      continue
    fi
    if $git_tree && git check-ignore -q "$resolved"; then
      fault "$file" "$line" "$target" "ignored by git, so not in the repository"
      continue
    fi
    if [ -n "$anchor" ] && [[ "$resolved" == *.md ]] && [ -f "$resolved" ] &&
      ! anchors "$resolved" | grep -qxF -- "$anchor"; then
      fault "$file" "$line" "$target" "no heading with that anchor"
    fi
  done < <(links "$file")
done

if ((faults)); then
  echo "$faults dead link(s) of $checked local ones"
  exit 1
fi
echo "$checked local links in ${#files[@]} Markdown files lead somewhere"
