#!/usr/bin/env bash
# Start-up and idle cost of the real binary under Xvfb: time to the first drawn
# frame, resident memory after 10 s, CPU used over 60 idle seconds.
#   bench/startup.sh [path/to/tessary]
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/src/app/tessary}"
work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :97 -screen 0 1400x900x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY=:97 XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="tessary.startup=true"
start=$(date +%s%N)
"$bin" >"$work/log" 2>&1 & app=$!
while ! grep -q "first frame" "$work/log"; do
  sleep 0.01
  kill -0 $app 2>/dev/null || { cat "$work/log"; exit 1; }
done
first=$(( ($(date +%s%N) - start) / 1000000 ))
echo "first frame: ${first} ms after launch ($(grep -o 'renderer: .*' "$work/log"))"
sleep $(( 10 - first / 1000 ))
echo "resident memory after 10 s: $(( $(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024 )) MB"
hz=$(getconf CLK_TCK)
t0=$(awk '{print $14 + $15}' /proc/$app/stat)
sleep 60
t1=$(awk '{print $14 + $15}' /proc/$app/stat)
echo "CPU over 60 idle seconds: $(echo "scale=3; ($t1 - $t0) * 100 / $hz / 60" | bc) % of one core"
