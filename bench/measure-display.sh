#!/usr/bin/env bash
# How fast and light Tarvel is on real display servers: runs the built program for a while on
# an Xvfb of its own (X11), on a weston nested in another (Wayland) and, where it is installed,
# on a headless sway run as an unprivileged user, and prints one table with a column for each.
# The "unseen" rows are of a run whose window nobody can see (covered on X11, taken off the
# output on weston, moved to another workspace on sway). It reports figures; it passes or fails
# nothing, since these are shared machines and timings are noisy.
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
# The tools that hide the window come from this tree's own build, whatever BUILD is.
tools=build/release
cmake --build "$tools" --target tarvel_cover_screen tarvel_weston_close >/dev/null

work=$(mktemp -d)
chmod 755 "$work" # sway runs as another user and reads its configuration here
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
    --modules="$PWD/$tools/tests/tarvel_weston_close.so" >"$work/weston.log" 2>&1 &
  pids+=($!)
  weston_pid=$!
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

# Starts sway headless as an unprivileged user (it refuses root); its socket is
# $work/sway-run/wayland-1. Leaves sway_ok empty when sway is missing or does not start.
start_sway() {
  sway_ok=
  command -v sway >/dev/null || return 0
  mkdir -p "$work/sway-run" "$work/sway-home"
  chmod 700 "$work/sway-run"
  printf 'output HEADLESS-1 resolution 1280x720 scale 1\n' >"$work/sway.conf"
  local as=()
  if [ "$(id -u)" = 0 ]; then
    chown 65534:65534 "$work/sway-run" "$work/sway-home"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  env -i PATH=/usr/bin:/bin HOME="$work/sway-home" XDG_RUNTIME_DIR="$work/sway-run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    setsid "${as[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$work/sway-run/wayland-1" ] && break; sleep 0.1; done
  [ -S "$work/sway-run/wayland-1" ] && sway_ok=1
  sleep 0.5
}

# Makes the window on $1 (x11, weston or sway) unseen.
hide() {
  case $1 in
    x11)
      env "${x11_env[@]}" "$tools/bench/tarvel_cover_screen" >/dev/null 2>&1 &
      cover_pid=$!
      ;;
    weston) kill -USR1 "$weston_pid" ;;
    sway) SWAYSOCK=$(echo "$work"/sway-run/sway-ipc.*.sock) \
      swaymsg '[app_id=io.github.tarvel.Tarvel] move to workspace 2' >/dev/null ;;
  esac
}

# Runs the program on $1 (x11, weston or sway) with the environment given, makes it unseen, and
# prints its wake-ups (voluntary switches) a second and CPU while unseen, a line each.
measure_unseen() {
  local where=$1
  shift
  env "$@" "$build/form1/tarvel" 2>>"$work/stderr" &
  local pid=$!
  sleep 1
  hide "$where"
  sleep 2 # past the hiding
  local cpu0 vol0 t0 cpu1 vol1 t1
  cpu0=$(awk '{print $1}' "/proc/$pid/schedstat") t0=$(date +%s%N)
  vol0=$(awk '$1 == "voluntary_ctxt_switches:" {print $2}' "/proc/$pid/status")
  sleep "$seconds"
  cpu1=$(awk '{print $1}' "/proc/$pid/schedstat") t1=$(date +%s%N)
  vol1=$(awk '$1 == "voluntary_ctxt_switches:" {print $2}' "/proc/$pid/status")
  local span=$((t1 - t0))
  echo "$(echo "scale=1; ($vol1 - $vol0) * 1000000000 / $span" | bc)"
  echo "$(echo "scale=3; ($cpu1 - $cpu0) * 100 / $span" | bc) %"
  kill -TERM "$pid"
  wait "$pid" || true
  if [ "$where" = x11 ]; then kill "$cover_pid" && wait "$cover_pid" || true; fi
}

# In-process figures from the probe, in the same order as its output.
probe() {
  env "$@" "$build/bench/tarvel_probe" "$seconds" | sed 's/^.\{27\}//; s/^ *//; s/ over .*//'
}

start_xvfb
x11=$display
start_xvfb
start_weston "$display"
start_sway
x11_env=(DISPLAY="$x11" WAYLAND_DISPLAY=)
wayland_env=(DISPLAY= XDG_RUNTIME_DIR="$work/xdg" WAYLAND_DISPLAY=wayland-bench)
sway_env=(DISPLAY= XDG_RUNTIME_DIR="$work/sway-run" WAYLAND_DISPLAY=wayland-1)

mapfile -t x11_figures < <(measure "${x11_env[@]}")
mapfile -t wayland_figures < <(measure "${wayland_env[@]}")
mapfile -t x11_probe < <(probe "${x11_env[@]}")
mapfile -t wayland_probe < <(probe "${wayland_env[@]}")
mapfile -t x11_unseen < <(measure_unseen x11 "${x11_env[@]}")
mapfile -t wayland_unseen < <(measure_unseen weston "${wayland_env[@]}")
sway_figures=() sway_probe=() sway_unseen=()
if [ -n "$sway_ok" ]; then
  mapfile -t sway_figures < <(measure "${sway_env[@]}")
  mapfile -t sway_probe < <(probe "${sway_env[@]}")
  mapfile -t sway_unseen < <(measure_unseen sway "${sway_env[@]}")
fi
outside=$(env "${x11_env[@]}" "$build/bench/tarvel_first_pixel" "$build/form1/tarvel")

labels=("threads" "peak resident memory" "CPU, share of one core" "voluntary switches a second"
        "involuntary switches a second" "shared objects mapped" "GL, EGL or Mesa mapped")
probe_labels=("first frame after main (in-process)" "frames presented" "ticks made"
              "frames a second" "frame period asked" "wake-ups a frame"
              "present interval, 1st-99th percentile" "Timer2 mean period")
unseen_labels=("unseen: wake-ups a second" "unseen: CPU, share of one core")
row() { printf '%-38s %-16s %-18s %s\n' "$@"; }
row "what (${seconds} s each)" "X11 (Xvfb)" "Wayland (weston)" "Wayland (sway)"
for i in "${!labels[@]}"; do
  row "${labels[$i]}" "${x11_figures[$i]}" "${wayland_figures[$i]}" "${sway_figures[$i]:--}"
done
for i in "${!probe_labels[@]}"; do
  row "${probe_labels[$i]}" "${x11_probe[$i]:-}" "${wayland_probe[$i]:-}" "${sway_probe[$i]:--}"
done
for i in "${!unseen_labels[@]}"; do
  row "${unseen_labels[$i]}" "${x11_unseen[$i]}" "${wayland_unseen[$i]}" "${sway_unseen[$i]:--}"
done
row "launch to first red pixel (outside)" "$outside" "-" "-"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -s "$work/stderr" ]; then
  echo "stderr:"
  cat "$work/stderr"
fi
