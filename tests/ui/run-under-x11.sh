#!/usr/bin/env bash
# Runs a command on a private X server with a real window manager (openbox), the way a
# desktop session would: minimise, stacking, workspaces and activation are the WM's.
#   run-under-x11.sh <command> [args...]
set -euo pipefail
work=$(mktemp -d)
wm=""
xvfb=""
cleanup() { kill $wm $xvfb 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 & xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/wm.log" 2>&1 & wm=$!
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in $(seq 600); do wm_up && break; sleep 0.05; done
# Without the window manager every case would fail on activation; say so instead.
wm_up || { echo "openbox did not start"; cat "$work/wm.log"; exit 1; }
export XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$@"
