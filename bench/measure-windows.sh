#!/usr/bin/env bash
# How big, fast and light the Windows program is, under Wine on an Xvfb of its own: the exe's
# size and imports, launch to the first red pixel, frames a second and the frame period, the
# CPU it takes (and wineserver's, which does part of Wine's work), and the packages' sizes. It
# reports figures; it passes or fails nothing. Needs the release and the Windows builds
# (scripts/test.sh makes both).
#
#   bash bench/measure-windows.sh [SECONDS]      (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake --build --preset windows --target tarvel tarvel_probe >/dev/null
cmake --build --preset release --target tarvel_first_pixel >/dev/null
exe=build/windows/form1/tarvel.exe
probe=build/windows/bench/tarvel_probe.exe

work=$(mktemp -d)
session=$work/session
cleanup() {
  kill "${tarvel:-}" 2>/dev/null || true
  bash tests/windows/wine-session.sh stop "$session"
  rm -rf "$work"
}
trap cleanup EXIT
bash tests/windows/wine-session.sh start "$session" >/dev/null
# shellcheck source=/dev/null
source "$session"

row() { printf '%-40s %s\n' "$1" "$2"; }
cpu_ns() { awk '{print $1}' "/proc/$1/schedstat"; }
switches() { awk '$1 == "voluntary_ctxt_switches:" {print $2}' "/proc/$1/status"; }

row "exe size" "$(stat -c %s "$exe") bytes"
row "exe imports" "$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
  tr '\n' ' ')"

# From launch to the first red pixel on the X server, seen from outside; the first launch warms
# Wine's caches, so the second is the one that counts.
printf '#!/bin/sh\nexec "%s" "%s"\n' "$WINE" "$PWD/$exe" >"$work/launch"
chmod +x "$work/launch"
build/release/bench/tarvel_first_pixel "$work/launch" >/dev/null
row "launch to first red pixel (warm)" "$(build/release/bench/tarvel_first_pixel "$work/launch")"

# What the process sees of itself: frames, ticks, the frame period, Timer2.
"$WINE" "$probe" "$seconds" 2>/dev/null | tr -d '\r' | while read -r line; do
  row "$(sed 's/ \{2,\}.*//' <<<"$line")" "$(sed 's/^.\{27\}//; s/^ *//' <<<"$line")"
done

# CPU: the program's own process (Wine runs it in the process it starts), and wineserver.
"$WINE" "$exe" 2>/dev/null &
tarvel=$!
sleep 2 # past start-up
# This prefix's wineserver, not whichever started last on the machine: the one whose
# environment names our WINEPREFIX.
server=
for candidate in $(pgrep wineserver || true); do # wineserver or wineserver64
  if tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -Fxq "WINEPREFIX=$WINEPREFIX"; then
    server=$candidate
  fi
done
[ -n "$server" ] || echo "(no wineserver of this prefix found: its CPU is left out)" >&2
switches0=$(switches "$tarvel") cpu0=$(cpu_ns "$tarvel") server0=$([ -n "$server" ] && cpu_ns "$server" || echo 0) t0=$(date +%s%N)
sleep "$seconds"
switches1=$(switches "$tarvel") cpu1=$(cpu_ns "$tarvel") server1=$([ -n "$server" ] && cpu_ns "$server" || echo 0) t1=$(date +%s%N)
row "CPU, share of one core (tarvel.exe)" "$(echo "scale=2; ($cpu1 - $cpu0) * 100 / ($t1 - $t0)" | bc) %"
row "CPU, share of one core (wineserver)" \
  "$(echo "scale=2; ($server1 - $server0) * 100 / ($t1 - $t0)" | bc) %"
row "voluntary switches a second" \
  "$(echo "scale=1; ($switches1 - $switches0) * 1000000000 / ($t1 - $t0)" | bc)"
row "threads of tarvel.exe's process" "$(awk '$1 == "Threads:" {print $2}' "/proc/$tarvel/status")"
row "peak resident memory" "$(awk '$1 == "VmHWM:" {printf "%.1f MB", $2 / 1024}' "/proc/$tarvel/status")"
"$WINE" taskkill /IM tarvel.exe >/dev/null 2>&1 || true
wait "$tarvel" || true
tarvel=

(cd build/windows && cpack -B "$work/packages" >/dev/null)
for package in "$work"/packages/*.zip "$work"/packages/*.exe; do
  row "$(basename "$package")" "$(stat -c %s "$package") bytes"
done
