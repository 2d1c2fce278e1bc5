# shellcheck shell=bash disable=SC2154 # version, set by release.sh
# The two halves of scripts/release.sh, sourced by it: making the release, and comparing two.
# They expect what release.sh sets up: version, SOURCE_DATE_EPOCH, a clean HEAD, fail().

# Runs a step with its output kept in a log; on failure shows the log's end, and fails.
step() {
  local name=$1 log=$2
  shift 2
  echo "  $name"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    fail "$name failed (the log's end is above)"
  fi
}

# Configures, builds and packages one preset of the exported source, programs only (no tests
# or benchmarks), in a build folder inside the export; puts the packages in $3.
#   package_preset SOURCE PRESET OUT LOG [CPACK ARGUMENTS...]
package_preset() {
  local source=$1 preset=$2 out=$3 log=$4
  shift 4
  local build=$source/build/$preset
  # shellcheck disable=SC2016 # the command line is bash -c's, expanded there
  step "$preset: configure" "$log" bash -c 'cd "$1" && shift && cmake "$@"' cmake "$source" \
    --preset "$preset" -B "$build" -DTARVEL_TESTS=OFF -DTARVEL_BENCHMARKS=OFF
  step "$preset: build" "$log" cmake --build "$build" -j 2
  # Under fakeroot, so the zips' entries are owned by root whoever makes the release (the zip
  # format records owners; the .deb's are root already).
  # shellcheck disable=SC2016
  step "$preset: package" "$log" bash -c 'cd "$1" && shift && fakeroot cpack "$@"' cpack \
    "$build" "$@" -B "$out"
}

# Makes the whole release of HEAD, working in $1 (which must not exist), into $2.
#   build_release WORK DIST
build_release() {
  local work=$1 dist=$2
  local log=$work/build.log source=$work/tarvel-$version
  mkdir -p "$work" "$dist"
  echo "Building in $work"
  local archive=tarvel-$version.tar.gz
  # git archive's entries carry the commit's time, sorted, owned by root, and its gzip no name
  # or time: the same commit gives the same archive.
  step "source archive" "$log" \
    git archive --format=tar.gz --prefix="tarvel-$version/" -o "$dist/$archive" HEAD
  step "export" "$log" tar -xzf "$dist/$archive" -C "$work"

  local arch expected
  arch=$(dpkg --print-architecture)
  expected=("$archive" "tarvel_${version}_$arch.deb" "tarvel-$version-windows-x64.zip"
            "tarvel-$version-windows-x64.exe")
  package_preset "$source" release "$work/packages" "$log" -G DEB
  package_preset "$source" windows "$work/packages" "$log"
  # The web build, once the tree has one.
  if (cd "$source" && cmake --list-presets=configure) | grep -q '^ *"web"'; then
    expected+=("tarvel-$version-web.zip")
    package_preset "$source" web "$work/packages" "$log"
  fi
  local file
  for file in "${expected[@]:1}"; do
    [ -f "$work/packages/$file" ] || fail "no $file was made; the packages are:
$(ls "$work/packages")"
    cp "$work/packages/$file" "$dist/"
  done
  (cd "$dist" && printf '%s\n' "${expected[@]}" | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
}

# Compares two releases file by file; where files differ, diffoscope shows how. Fails if any
# file differs or is missing from either.
#   compare_releases FIRST SECOND
compare_releases() {
  local first=$1 second=$2 differ=0 file
  echo
  echo "Comparing $first with the second build:"
  for file in $( (ls "$first"; ls "$second") | LC_ALL=C sort -u); do
    if [ ! -f "$first/$file" ] || [ ! -f "$second/$file" ]; then
      echo "  MISSING    $file (only in $( [ -f "$first/$file" ] && echo the first || echo the second))"
      differ=1
    elif cmp -s "$first/$file" "$second/$file"; then
      echo "  identical  $file  $(sha256sum "$first/$file" | cut -d' ' -f1)"
    else
      echo "  DIFFERS    $file"
      differ=1
      # diffoscope's report can be long: the first 200 lines show where the differences are.
      diffoscope --no-progress --text - "$first/$file" "$second/$file" 2>&1 | head -n 200 || true
    fi
  done
  if ((differ)); then
    fail "the two builds differ (see above)"
  fi
  echo "Every file of the release is byte-for-byte the same in both builds."
}
