#!/usr/bin/env bash
# Packages made twice from one build with SOURCE_DATE_EPOCH set, into folders of different
# depth, are the same bytes, and the times they carry are that time: the .deb's members and
# their entries, the zip's entries, and the PE headers of the exe and the installer.
#   bash reproducible_package_test.sh BUILD [CPACK ARGUMENTS...]
set -euo pipefail
build=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export SOURCE_DATE_EPOCH=1234567890 # 2009-02-13 23:31:30 UTC
made=
for out in "$work/one" "$work/two/deeper/still"; do
  (cd "$build" && cpack "$@" -B "$out" >"$work/cpack.log" 2>&1) ||
    fail "cpack: $(cat "$work/cpack.log")"
  made=$(cd "$out" && find . -maxdepth 1 -type f | sort)
done
[ -n "$made" ] || fail "cpack made nothing"
for package in $made; do
  cmp "$work/one/$package" "$work/two/deeper/still/$package" ||
    fail "$package differs between the two runs"
done

# The times each format carries, as its own tools read them.
stamp=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M')
for package in $made; do
  file=$work/one/$package
  case $package in
    *.deb)
      ! ar tv "$file" | grep -vq "Feb 13 23:31 2009" || fail "a .deb member has another time"
      for part in --ctrl-tarfile --fsys-tarfile; do
        times=$(dpkg-deb "$part" "$file" | tar -tv --full-time |
          awk '{ print $4, substr($5, 1, 5) }' | sort -u)
        [ "$times" = "$stamp" ] || fail "the .deb's entries ($part) carry: $times"
      done
      ;;
    *.zip)
      times=$(TZ=UTC zipinfo -T "$file" | awk '/^[-d]/ { print $7 }' | sort -u)
      [ "$times" = "20090213.233130" ] || fail "the zip's entries carry: $times"
      ;;
    *.exe)
      header=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^Time\/Date\t*//p')
      [ "$header" = "Fri Feb 13 23:31:30 2009" ] || fail "the installer's PE header says $header"
      ;;
  esac
done
echo "made twice, the same bytes, dated $stamp UTC: $(tr "\n" " " <<<"$made")"
