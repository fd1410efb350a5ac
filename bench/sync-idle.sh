#!/usr/bin/env bash
# CPU of the real binary with sync on and nothing changing, under Xvfb: its own archive of
# 10,000 rounds and a second computer's device file of 10,000 in the synced folder. Measured
# over 11 minutes, so the window holds ten cheap rescans and one full read of every file.
#   bench/sync-idle.sh [path/to/tessary] [seconds]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${1:-$here/../build/src/app/tessary}"
seconds="${2:-660}"
work=$(mktemp -d)
app= xvfb=
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb :95 -screen 0 1400x900x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY=:95 HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -m 700 -p "$XDG_RUNTIME_DIR" "$TMPDIR" "$HOME" "$work/data/Tessary" "$work/sync/Tessary/devices"
# Two archives of 10,000 rounds: this computer's document (no sync yet) and the other's file.
other=$(cat /proc/sys/kernel/random/uuid | tr a-z A-Z)
"$here/make-archive.py" "$work/data/Tessary/focus-data.json" 10000
"$here/make-archive.py" "$work/sync/Tessary/devices/$other.json" 10000 --device "$other" --newest 1796100000
export QT_LOGGING_RULES="tessary.startup=true"
"$bin" --sync-folder "$work/sync" >"$work/log" 2>&1 & app=$!
while ! grep -q "first frame" "$work/log"; do
  sleep 0.05
  kill -0 $app 2>/dev/null || { cat "$work/log"; exit 1; }
done
# The first merge (20,000 rounds saved) and the start-up settle.
for _ in $(seq 100); do
  [ -f "$work/sync/Tessary/devices/"*.json ] 2>/dev/null || true
  [ "$(ls "$work/sync/Tessary/devices" | wc -l)" -ge 2 ] && break
  sleep 0.1
done
sleep 10
if grep -q "could not be read" "$work/log"; then cat "$work/log"; exit 1; fi
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
rounds=$(python3 -c "import json,sys; print(len(json.load(open(sys.argv[1]))['sessions']))" "$work/data/Tessary/focus-data.json")
echo "document after the merge: $rounds rounds; computers: $(ls "$work/sync/Tessary/devices" | grep -c '\.json$')"
echo "CPU with sync on and nothing changing, over $seconds s: $(echo "scale=4; ($t1 - $t0) * 100 / $hz / $seconds" | bc) % of one core"
echo "resident memory: $(( $(awk '/VmRSS/ {print $2}' /proc/$app/status) / 1024 )) MB"
