#!/usr/bin/env bash
# Frames drawn and CPU used by the real binary under Xvfb (its default renderer, empty archive,
# window shown, no sound): 30 idle seconds, then 30 seconds of a running round started with
# `tessary --start`. Resident memory at the end of the idle part.
#   bench/idle.sh [path/to/tessary]
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/src/app/tessary}"
work=$(mktemp -d)
app= xvfb=
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :96 -screen 0 1400x900x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY=:96 HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$TMPDIR" "$HOME"
export QT_LOGGING_RULES="tessary.startup=true;tessary.frames=true"
"$bin" >"$work/log" 2>&1 & app=$!
while ! grep -q "first frame" "$work/log"; do
  sleep 0.05
  kill -0 $app 2>/dev/null || { cat "$work/log"; exit 1; }
done
sleep 5 # let start-up settle: fonts, the first layout, the greeting
# CPU time per thread in nanoseconds ("tid ns" lines): clock ticks (10 ms) are too coarse for an
# idle app. A thread that ends inside a window (Qt's pool threads expire after 30 idle seconds)
# is left out of it rather than subtracted.
cpu() { for t in /proc/$app/task/*; do echo "${t##*/} $(cut -d' ' -f1 "$t/schedstat" 2>/dev/null)"; done; }
used() { # before after: nanoseconds used by the threads alive at the end
  awk 'NR == FNR {before[$1] = $2; next} {ns += $2 - ($1 in before ? before[$1] : 0)} END {printf "%d", ns}' \
    <(echo "$1") <(echo "$2")
}
frames() { grep -cx "tessary.frames: frame" "$work/log" || true; }
measure() { # label
  local f0 t0 f1 t1
  f0=$(frames); t0=$(cpu)
  sleep 30
  f1=$(frames); t1=$(cpu)
  echo "$1: $((f1 - f0)) frames in 30 s, CPU $(echo "scale=4; $(used "$t0" "$t1") * 100 / 30000000000" | bc) % of one core"
}
grep -o "renderer: .*" "$work/log"
measure "idle"
echo "resident memory: $(( $(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024 )) MB"
"$bin" --start || { echo "tessary --start failed"; exit 1; }
sleep 40 # past the toast, and past the first 1 % of the round, before which the ring does not move
measure "running round"
