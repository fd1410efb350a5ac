#!/usr/bin/env bash
# The round controls on the command line against a real running instance: each answer and
# exit status, refusals in the idle phase, and no instance at all.
set -euo pipefail
tessary="$1"
work="$(mktemp -d)"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/home" "$work/run" "$work/tmp"
chmod 700 "$work/run"
# Its own home and its own channel (the channel lives in TMPDIR), so no real instance is reached.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
unset DISPLAY WAYLAND_DISPLAY

expect() { # status, then the arguments; leaves stdout in $out and stderr in $err
  local want="$1"; shift
  set +e
  "$tessary" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  set -e
  out="$(cat "$work/out")"; err="$(cat "$work/err")"
  [ "$got" = "$want" ] || fail "tessary $* exited $got, not $want (stdout: $out; stderr: $err)"
}

expect 4 --status
[ "$err" = "汀禾没有在运行。" ] || fail "no instance said: $err"

QT_LOGGING_RULES="tessary.startup=true" "$tessary" 2>"$work/log" >/dev/null &
pid=$!
for _ in $(seq 1 300); do grep -q "first frame" "$work/log" && break; sleep 0.1; done
grep -q "first frame" "$work/log" || { cat "$work/log"; fail "the instance did not start"; }

expect 0 --status
[ "$out" = "未开始 · 今日 0 分钟" ] || fail "--status printed: $out"
expect 0 --status --json
[ "$out" = '{"phase":"idle","phaseText":"未开始","remainingSeconds":0,"todayMinutes":0}' ] || fail "--status --json printed: $out"
for c in --toggle-pause --mind-wander --fatigue --end; do
  expect 3 "$c"
  [ "$err" = "现在没有进行中的一轮" ] || fail "$c refused with: $err"
  [ -z "$out" ] || fail "$c printed on stdout: $out"
done
expect 0 --show
expect 0 --start
[ "$out" = "已开始 50 分钟的一轮" ] || fail "--start printed: $out"
expect 3 --start
[ "$err" = "这一轮已经在进行中" ] || fail "a second --start refused with: $err"
expect 0 --status
case "$out" in 专注中\ ·\ 剩余\ 49:5*|专注中\ ·\ 剩余\ 50:00*) ;; *) fail "--status during the round printed: $out" ;; esac
expect 0 --toggle-pause
[ "$out" = "已暂停" ] || fail "--toggle-pause printed: $out"
expect 0 --mind-wander
expect 0 --end
[ "$out" = "这一轮已结束，复盘已打开" ] || fail "--end printed: $out"
expect 3 --toggle-pause
[ "$err" = "这一轮已经结束，正在等待复盘" ] || fail "after --end: $err"
expect 2 --end --json
grep -q -- --background <<<"$err" || fail "an invalid call did not print the usage: $err"
expect 2 --toggle-pause --end
kill -0 "$pid" || fail "the instance is gone"
expect 0 --status # still answering after all of that
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
expect 4 --toggle-pause
echo "command line test passed"
