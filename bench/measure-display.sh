#!/usr/bin/env bash
# How fast and light Tarvel is on real display servers: runs the built program for a while on
# an Xvfb of its own (X11) and on a weston nested in another (Wayland), and prints one table
# with a column for each. It reports figures; it passes or fails nothing, since these are shared
# machines and timings are noisy.
#
#   bash bench/measure-display.sh [SECONDS] [BUILD]    (default 20 s, build/release)
#
# BUILD may be another build of the project (of an older commit, say), to compare the two on the
# same machine one right after the other.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=${2:-build/release}
cmake --build "$build" --target tarvel tarvel_probe tarvel_first_pixel >/dev/null

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts an Xvfb; its display name is left in $display.
start_xvfb() {
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1000x700x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  read -r -u "$fd" number
  exec {fd}>&-
  display=":$number"
}

# Starts weston nested in X display $1; its socket is $work/xdg/wayland-bench.
start_weston() {
  mkdir -p "$work/xdg" && chmod 700 "$work/xdg"
  DISPLAY=$1 XDG_RUNTIME_DIR=$work/xdg WAYLAND_DISPLAY= weston --backend=x11-backend.so \
    --use-pixman --socket=wayland-bench --idle-time=0 --no-config --width=800 --height=600 \
    >"$work/weston.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$work/xdg/wayland-bench" ] && break; sleep 0.1; done
  sleep 0.5
}

# Runs the program with the environment given and prints one column of figures, a line each:
# threads, peak RSS, CPU, voluntary and involuntary switches a second, shared objects, GL.
measure() {
  env "$@" "$build/form1/tarvel" 2>>"$work/stderr" &
  local pid=$!
  sleep 1 # past start-up
  field() { awk -v f="$1" '$1 == f":" {print $2}' "/proc/$pid/status"; }
  local cpu0 vol0 inv0 t0 cpu1 vol1 inv1 t1
  cpu0=$(awk '{print $1}' "/proc/$pid/schedstat") vol0=$(field voluntary_ctxt_switches)
  inv0=$(field nonvoluntary_ctxt_switches) t0=$(date +%s%N)
  sleep "$seconds"
  cpu1=$(awk '{print $1}' "/proc/$pid/schedstat") vol1=$(field voluntary_ctxt_switches)
  inv1=$(field nonvoluntary_ctxt_switches) t1=$(date +%s%N)
  local span=$((t1 - t0))
  echo "$(field Threads)"
  echo "$(echo "scale=1; $(field VmHWM) / 1024" | bc) MB"
  echo "$(echo "scale=2; ($cpu1 - $cpu0) * 100 / $span" | bc) %"
  echo "$(echo "scale=1; ($vol1 - $vol0) * 1000000000 / $span" | bc)"
  echo "$(echo "scale=1; ($inv1 - $inv0) * 1000000000 / $span" | bc)"
  echo "$(grep -c '\.so' <(awk '{print $6}' "/proc/$pid/maps" | sort -u))"
  if grep -qE 'libEGL|libGL|_dri\.so|libgbm' "/proc/$pid/maps"; then echo yes; else echo no; fi
  kill -TERM "$pid"
  wait "$pid" || true
}

# In-process figures from the probe, in the same order as its output.
probe() {
  env "$@" "$build/bench/tarvel_probe" "$seconds" | sed 's/^.\{27\}//; s/^ *//'
}

start_xvfb
x11=$display
start_xvfb
start_weston "$display"
x11_env=(DISPLAY="$x11" WAYLAND_DISPLAY=)
wayland_env=(DISPLAY= XDG_RUNTIME_DIR="$work/xdg" WAYLAND_DISPLAY=wayland-bench)

mapfile -t x11_figures < <(measure "${x11_env[@]}")
mapfile -t wayland_figures < <(measure "${wayland_env[@]}")
mapfile -t x11_probe < <(probe "${x11_env[@]}")
mapfile -t wayland_probe < <(probe "${wayland_env[@]}")
outside=$(env "${x11_env[@]}" "$build/bench/tarvel_first_pixel" "$build/form1/tarvel")

labels=("threads" "peak resident memory" "CPU, share of one core" "voluntary switches a second"
        "involuntary switches a second" "shared objects mapped" "GL, EGL or Mesa mapped")
probe_labels=("first frame after main (in-process)" "frames presented" "ticks made"
              "frames a second" "frame period asked" "wake-ups a frame" "Timer2 mean period")
printf '%-38s %-16s %s\n' "what (${seconds} s each)" "X11 (Xvfb)" "Wayland (weston)"
for i in "${!labels[@]}"; do
  printf '%-38s %-16s %s\n' "${labels[$i]}" "${x11_figures[$i]}" "${wayland_figures[$i]}"
done
for i in "${!probe_labels[@]}"; do
  printf '%-38s %-16s %s\n' "${probe_labels[$i]}" "${x11_probe[$i]:-}" "${wayland_probe[$i]:-}"
done
printf '%-38s %-16s %s\n' "launch to first red pixel (outside)" "$outside" "-"
if [ -s "$work/stderr" ]; then
  echo "stderr:"
  cat "$work/stderr"
fi
