#!/usr/bin/env bash
# Memory of the real binary as it ships (its own default renderer, unless QT_QUICK_BACKEND says
# otherwise), on a private X server with openbox and a tray: resident (RSS) and proportional (PSS)
# set at start, after visiting every section, with the review sheet open, and hidden to the tray;
# with an empty archive and with 10,000 rounds.
#   bench/memory.sh [path/to/tessary]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(realpath "${1:-$here/../build/src/app/tessary}")"
exec dbus-run-session -- "$here/../tests/ui/run-under-x11.sh" bash -s "$bin" "$here" <<'SCRIPT'
set -euo pipefail
bin=$1 here=$2
work=$(mktemp -d)
app= tray=
trap 'kill $app $tray 2>/dev/null || true; rm -rf "$work"' EXIT
"$here/../tests/support/tray-host.py" >"$work/tray" & tray=$!
for _ in $(seq 100); do grep -q ready "$work/tray" && break; sleep 0.05; done
memory() { # label
  local rss pss
  sleep 3 # the frames, timers and deferred deletes of the step settle
  rss=$(awk '/^Rss:/ {print int($2 / 1024)}' "/proc/$app/smaps_rollup")
  pss=$(awk '/^Pss:/ {print int($2 / 1024)}' "/proc/$app/smaps_rollup")
  printf '  %-34s RSS %4d MB   PSS %4d MB\n' "$1" "$rss" "$pss"
}
for rounds in 0 10000; do
  export HOME="$work/$rounds/home" XDG_DATA_HOME="$work/$rounds/data" XDG_CONFIG_HOME="$work/$rounds/config" \
    XDG_STATE_HOME="$work/$rounds/state"
  mkdir -p "$HOME" "$XDG_DATA_HOME/Tessary"
  [ "$rounds" = 0 ] || "$here/make-archive.py" "$XDG_DATA_HOME/Tessary/focus-data.json" "$rounds"
  QT_LOGGING_RULES="tessary.startup=true" "$bin" >"$work/log" 2>&1 & app=$!
  start=$(date +%s%N)
  while ! grep -q "first frame" "$work/log"; do
    sleep 0.01
    kill -0 $app 2>/dev/null || { cat "$work/log"; exit 1; }
  done
  echo "$rounds rounds; $(grep -o 'renderer: .*' "$work/log"); first frame $(( ($(date +%s%N) - start) / 1000000 )) ms after launch"
  main=$(xdotool search --onlyvisible --name '^汀禾$' | head -1)
  memory "at start"
  xdotool windowactivate --sync "$main"
  for key in ctrl+2 ctrl+3 ctrl+4 ctrl+1; do xdotool key --window "$main" "$key"; sleep 1.5; done
  memory "after visiting every section"
  "$bin" --start >/dev/null && sleep 2 && "$bin" --end >/dev/null
  memory "with the review sheet open"
  wmctrl -i -c "$main"
  sleep 1
  xdotool search --onlyvisible --name '^汀禾$' >/dev/null && { echo "the window did not hide to the tray"; exit 1; }
  memory "hidden to the tray"
  kill $app; wait $app 2>/dev/null || true
done
SCRIPT
