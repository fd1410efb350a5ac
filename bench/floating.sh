#!/usr/bin/env bash
# CPU of the real binary during a round with the main window minimised and the floating
# countdown open, on a private X server with openbox and the default renderer; the same
# figure with the main window shown, and idle before the round, for comparison.
#   bench/floating.sh [path/to/tessary] [seconds per figure, default 60]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(realpath "${1:-$here/../build/src/app/tessary}")"
seconds="${2:-60}"
exec "$here/../tests/ui/run-under-x11.sh" bash -s "$bin" "$seconds" <<'SCRIPT'
set -euo pipefail
bin=$1 seconds=$2
work=$(mktemp -d)
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
"$bin" >"$work/log" 2>&1 & app=$!
trap 'kill $app 2>/dev/null || true; rm -rf "$work"' EXIT
main=""
for _ in $(seq 100); do
  main=$(xdotool search --onlyvisible --name '汀禾' 2>/dev/null | head -1) && [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "no main window"; cat "$work/log"; exit 1; }
xdotool windowmove --sync "$main" 0 0
sleep 2
hz=$(getconf CLK_TCK)
measure() {
  local t0 t1
  t0=$(awk '{print $14 + $15}' /proc/$app/stat)
  sleep "$seconds"
  t1=$(awk '{print $14 + $15}' /proc/$app/stat)
  echo "$1: $(echo "scale=3; ($t1 - $t0) * 100 / $hz / $seconds" | bc) % of one core over $seconds s"
}
measure "idle, main window shown"
# The start button of the focus screen at the default window size.
xdotool mousemove --window "$main" 510 510 click 1
xdotool mousemove 1500 950
sleep 1
measure "round, main window shown"
xdotool windowminimize "$main"
sleep 1
xdotool search --onlyvisible --name '^汀禾倒计时$' >/dev/null || { echo "the floating countdown did not open"; exit 1; }
measure "round, minimised, floating countdown open"
echo "resident memory: $(( $(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024 )) MB"
SCRIPT
