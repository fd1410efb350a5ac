#!/usr/bin/env bash
# 汀禾 in a Wayland session: a headless weston with XWayland, as root. Started the default way
# it runs through XWayland (xcb); started with QT_QPA_PLATFORM=wayland it runs natively. Each
# must draw its first frame and run a round driven from the command line.
#   wayland-test.sh <tessary> [directory for one screenshot of each run]
# Exits 77 (skipped) where weston cannot run here.
set -euo pipefail
tessary="$(realpath "$1")"
shots="${2:-}"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The app's session bus (notifications, the shortcut portal, music) is a private one, so nothing
# of a real session is reached and no bus is launched on the X display.
if [ -z "${TESSARY_WAYLAND_TEST_BUS:-}" ]; then
  command -v dbus-run-session >/dev/null || skip "no dbus-run-session"
  exec env TESSARY_WAYLAND_TEST_BUS=1 dbus-run-session -- "$0" "$@"
fi
[ "$(id -u)" = 0 ] || skip "headless weston starts only as root here"
command -v weston >/dev/null || skip "no weston (Debian package weston)"
command -v Xwayland >/dev/null || skip "no Xwayland (Debian package xwayland)"

work="$(mktemp -d)"
weston_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home" "$work/tmp" "$work/run"
chmod 700 "$work/run"
# A home, runtime directory and channel (in TMPDIR) of its own: no real instance is reached, and
# the socket name is free whatever else runs.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM QT_QUICK_BACKEND QT_LOGGING_RULES

socket="wayland-tessary-$$"
started=$SECONDS
# --debug only for the screenshooter.
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --socket="$socket" \
  --xwayland --idle-time=0 ${shots:+--debug} >"$work/weston.log" 2>&1 &
weston_pid=$!
# XWayland's display number is known once weston's module has its sockets (it starts the server
# at the first X client).
display=
for _ in $(seq 200); do
  kill -0 "$weston_pid" 2>/dev/null || { tail -5 "$work/weston.log"; weston_pid=; skip "weston did not start"; }
  display="$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log")"
  [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -n "$display" ] && break
  sleep 0.05
done
if [ ! -S "$XDG_RUNTIME_DIR/$socket" ] || [ -z "$display" ]; then
  tail -5 "$work/weston.log"
  skip "weston has no Wayland socket or no XWayland"
fi
echo "weston on $socket, XWayland on $display, up after $((SECONDS - started)) s"
export WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland DISPLAY="$display"

expect() { # status, then the arguments; leaves stdout in $out
  local want="$1"; shift
  set +e
  "$tessary" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  set -e
  out="$(cat "$work/out")"
  [ "$got" = "$want" ] || fail "tessary $* exited $got, not $want ($out $(cat "$work/err"))"
}

# One run: the platform it must end up on, then the environment it starts with.
run() {
  local platform="$1"; shift
  local log="$work/$platform.log" t0=$SECONDS
  env "$@" QT_LOGGING_RULES="tessary.startup=true" "$tessary" 2>"$log" >/dev/null &
  app_pid=$!
  for _ in $(seq 600); do
    grep -q "first frame" "$log" && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$log" >&2; fail "$platform: tessary exited before its first frame"; }
    sleep 0.1
  done
  grep -q "first frame on $platform" "$log" || { cat "$log" >&2; fail "$platform: no first frame on $platform"; }
  echo "$platform: first frame after $((SECONDS - t0)) s"
  # Through XWayland the window is an X client; natively it is not.
  local on_x=no
  xwininfo -display "$display" -root -tree | grep -q '("tessary" "Tessary")' && on_x=yes
  [ "$on_x" = "$([ "$platform" = xcb ] && echo yes || echo no)" ] || fail "$platform: window on XWayland: $on_x"

  expect 0 --start
  [[ "$out" == 已开始* ]] || fail "$platform: --start printed: $out"
  expect 0 --status --json
  [[ "$out" == '{"phase":"focusing",'* ]] || fail "$platform: --status --json printed: $out"
  if [ -n "$shots" ]; then
    sleep 1 # the countdown redrawn since the start
    mkdir -p "$shots"
    (cd "$work" && rm -f wayland-screenshot-*.png && weston-screenshooter && mv wayland-screenshot-*.png "$shots/$platform.png") \
      || fail "$platform: no screenshot"
    echo "$platform: screenshot $shots/$platform.png"
  fi
  expect 0 --end
  expect 0 --status --json
  [[ "$out" == '{"phase":"completed",'* ]] || fail "$platform: after --end: $out"
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
}

run xcb                                       # the default: XWayland, for the floating countdown
run wayland QT_QPA_PLATFORM=wayland QT_IM_MODULE=none # Qt 6.4 crashes in text input on a seatless compositor
echo "wayland test passed in $((SECONDS - started)) s"
