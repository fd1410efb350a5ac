#!/usr/bin/env bash
# CPU of the real binary with sync on and nothing changing, under Xvfb: its own archive of
# 10,000 rounds and a second computer's device file of 10,000 in the synced folder. Measured
# over 11 minutes, so the window holds ten cheap rescans and one full read of every file.
#   bench/sync-idle.sh [path/to/tessary] [seconds]
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/src/app/tessary}"
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
python3 - "$work" <<'PY'
import json, sys, uuid
work = sys.argv[1]
def rounds(n, base, device=None):
    out = []
    for i in range(n):
        t = base - i * 4 * 3600
        iso = lambda s: __import__("time").strftime("%Y-%m-%dT%H:%M:%SZ", __import__("time").gmtime(s))
        r = {"completed": i % 3 != 0, "endEnergy": 3, "endedAt": iso(t + 1500),
             "events": [{"date": iso(t + 60 * k), "elapsedSeconds": 60 * k, "id": str(uuid.uuid4()).upper(),
                         "kind": "mindWander"} for k in range(10)],
             "focusRating": 4, "focusedSeconds": 1500, "id": str(uuid.uuid4()).upper(),
             "microBreakSeconds": 10, "note": "状态不错", "plannedMinutes": 25, "reminderMaximumMinutes": 5,
             "reminderMinimumMinutes": 3, "startEnergy": 4, "startedAt": iso(t), "taskName": "阅读"}
        if device:
            r["origin"] = {"added": i + 1, "device": device}
        out.append(r)
    return out
settings = {"autoPlayMusic": False, "completionSound": "Glass", "microBreakSeconds": 10, "musicSource": "整个资料库",
            "playlistName": "", "reminderMaximumMinutes": 5, "reminderMinimumMinutes": 3, "reminderSound": "Ping",
            "selectedDurationMinutes": 25, "showNextReminder": False}
json.dump({"sessions": rounds(10000, 1796000000), "settings": settings},
          open(f"{work}/data/Tessary/focus-data.json", "w"), ensure_ascii=False)
other = str(uuid.uuid4()).upper()
json.dump({"clears": [], "clock": 1, "deviceId": other, "deviceName": "笔记本", "format": 1, "sequence": 10000,
           "sessions": rounds(10000, 1796100000, other), "tombstones": []},
          open(f"{work}/sync/Tessary/devices/{other}.json", "w"), ensure_ascii=False)
PY
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
