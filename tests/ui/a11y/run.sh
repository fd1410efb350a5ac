#!/usr/bin/env bash
# Runs the screen-reader and keyboard checks against the real binary: a private X server with
# openbox, a private session bus with a tray and a real AT-SPI bus, the application with Qt's
# accessibility bridge on, and the checks (check.py, pyatspi) reading its tree.
#   run.sh path/to/tessary [check.py arguments...]
# Exit 77: no X server could start here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(realpath "$1")"; shift
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "python3-pyatspi is missing (scripts/packages.txt)"; exit 1; }
exec dbus-run-session -- "$here/../run-under-x11.sh" bash -s "$bin" "$here" "$@" <<'SCRIPT'
set -euo pipefail
bin=$1 here=$2; shift 2
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 & pids+=($!)
"$here/../../support/tray-host.py" >"$work/tray" & pids+=($!)
for _ in $(seq 100); do grep -q ready "$work/tray" && break; sleep 0.05; done
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
  XDG_CACHE_HOME="$work/cache" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES="tessary.startup=true"
mkdir -p "$HOME" "$XDG_DATA_HOME"
"$bin" >"$work/app.log" 2>&1 & app=$!; pids+=($app)
for _ in $(seq 200); do grep -q "first frame" "$work/app.log" && break; sleep 0.05; done
grep -q "first frame" "$work/app.log" || { echo "the application drew no frame"; cat "$work/app.log"; exit 1; }
status=0
TESSARY_BIN="$bin" TESSARY_DATA="$XDG_DATA_HOME/Tessary/focus-data.json" TRAY_LOG="$work/tray" \
  /usr/bin/python3 "$here/check.py" "$@" || status=$?
[ $status = 0 ] || { echo "--- application log"; cat "$work/app.log"; }
exit $status
SCRIPT
