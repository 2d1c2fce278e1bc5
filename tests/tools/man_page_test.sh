#!/usr/bin/env bash
# tarvel(6) renders without a warning from groff, and tells what the program really says and
# does: its exit statuses with their messages, and how to ask for X11.
set -euo pipefail
page=$1
source_dir=$2
fail() { echo "FAIL: $*"; exit 1; }
command -v man >/dev/null || fail "man is missing (package man-db)"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "groff warns: $warnings"
# Piped, man leaves out the overstriking that would show bold on a terminal.
text=$(MANWIDTH=200 man -l "$page" 2>/dev/null)
for said in "tarvel - a face that travels across a black window" "EXIT STATUS" \
            "WAYLAND_DISPLAY= tarvel" "Xft.dpi"; do
  grep -qF -- "$said" <<<"$text" || fail "the page does not say: $said"
done
# Each message it quotes is one the program can print.
for message in "run-time error in " "cannot open a display: " "no usable font: " \
               "lost the display: the display server closed the connection"; do
  grep -qF -- "Tarvel: $message" <<<"$text" || fail "the page does not quote: $message"
  grep -rqF -- "${message%: }" "$source_dir/runtime" || fail "the program never says: $message"
done
echo "tarvel(6) renders cleanly and says what the program does"
