#!/usr/bin/env bash
# How fast and light Tarvel is on a real X server: runs the built program under an Xvfb of its
# own for a while and prints one table. It reports figures; it passes or fails nothing, since
# these are shared machines and timings are noisy.
#
#   bash bench/measure-display.sh [SECONDS]      (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=build/release
cmake --build --preset release --target tarvel tarvel_probe >/dev/null

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 800x600x24 -noreset -nolisten tcp 2>/dev/null &
xvfb=$!
read -r -u "$fd" number
exec {fd}>&-
export DISPLAY=":$number"
unset WAYLAND_DISPLAY SDL_VIDEODRIVER
trap 'kill "$xvfb" 2>/dev/null' EXIT

"$build/form1/tarvel" &
pid=$!
sleep 1  # past start-up
field() { awk -v f="$1" '$1 == f":" {print $2}' "/proc/$pid/status"; }
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
cpu0=$(cpu) vol0=$(field voluntary_ctxt_switches) invol0=$(field nonvoluntary_ctxt_switches)
t0=$(date +%s.%N)
sleep "$seconds"
cpu1=$(cpu) vol1=$(field voluntary_ctxt_switches) invol1=$(field nonvoluntary_ctxt_switches)
t1=$(date +%s.%N)
threads=$(field Threads) hwm=$(field VmHWM)
kill -TERM "$pid"
wait "$pid" || true

ticks=$(getconf CLK_TCK)
elapsed=$(echo "$t1 - $t0" | bc -l)
printf "%-34s %s\n" "what (Xvfb, ${seconds} s)" "figure"
printf '%-34s %.2f %%\n' "CPU, share of one core" "$(echo "($cpu1 - $cpu0) / $ticks / $elapsed * 100" | bc -l)"
printf '%-34s %.1f MB\n' "peak resident memory" "$(echo "$hwm / 1024" | bc -l)"
printf '%-34s %.1f\n' "voluntary switches per second" "$(echo "($vol1 - $vol0) / $elapsed" | bc -l)"
printf '%-34s %.1f\n' "involuntary switches per second" "$(echo "($invol1 - $invol0) / $elapsed" | bc -l)"
printf '%-34s %s\n' "threads" "$threads"

# In-process figures: first frame, frames and ticks, Timer2's period.
"$build/bench/tarvel_probe" "$seconds" | sed 's/^/                                   /;s/^ *//' |
  awk '{ label = $0; sub(/ +[0-9.].*$/, "", label); value = substr($0, length(label) + 1);
         sub(/^ +/, "", value); printf "%-34s %s\n", label, value }'
