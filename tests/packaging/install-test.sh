#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix elsewhere, and runs the
# installed binary from there with the build tree hidden (a private mount namespace, where
# the system allows one): it must find its own sounds, validate, start and start hidden.
set -euo pipefail
build="$(cd "$1" && pwd)"
version="$2"
work="$(mktemp -d)"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/first" >/dev/null
mv "$work/first" "$work/prefix" # any prefix, even one it was not installed to
prefix="$work/prefix"
id=io.github.tessary.Tessary
for f in bin/tessary \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/symbolic/apps/$id-symbolic.svg \
    share/icons/hicolor/symbolic/apps/$id-idle-symbolic.svg \
    share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/512x512/apps/$id.png \
    share/tessary/sounds/Ambient/rain.flac share/tessary/sounds/Ambient/crickets.flac \
    share/tessary/sounds/Glass.flac share/tessary/sounds/beep.flac \
    share/doc/tessary/copyright share/doc/tessary/changelog.gz share/man/man1/tessary.1.gz; do
  [ -s "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/tessary" ] || fail "bin/tessary is not executable"
file "$prefix/share/icons/hicolor/16x16/apps/$id.png" | grep -q "16 x 16" || fail "16 px icon has the wrong size"

desktop-file-validate "$prefix/share/applications/$id.desktop"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "the desktop entry names another icon"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
# The metadata with the desktop entry it launches, as a software centre reads the installed tree.
appstreamcli validate-tree --no-net "$prefix" >/dev/null || appstreamcli validate-tree --no-net "$prefix"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo lacks release $version"
grep -qF "check\\-sounds" <(zcat "$prefix/share/man/man1/tessary.1.gz") || fail "manual page lacks --check-sounds"

mkdir -p "$work/home/data" "$work/home/config" "$work/run" "$work/tmp"
chmod 700 "$work/run"
# A home of its own, and a temporary directory of its own for the single-instance channel, so a
# running 汀禾 of the user's is neither reached nor disturbed.
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/run"
export TMPDIR="$work/tmp"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software

# Runs the installed binary where the build tree is an empty directory.
un=(unshare --mount)
[ "$(id -u)" -eq 0 ] || un+=(--map-root-user)
hidden=1
"${un[@]}" sh -c 'mount -t tmpfs tmpfs "$1"' sh "$build" 2>/dev/null || hidden=0
# Becomes the program (exec): call it in a subshell, "$(…)", "(…)" or "… &", so a background
# job's pid is the program's own.
installed() {
  if [ "$hidden" = 1 ]; then
    exec "${un[@]}" sh -c 'mount -t tmpfs tmpfs "$1" && shift && exec "$@"' sh "$build" "$prefix/bin/tessary" "$@"
  else
    exec "$prefix/bin/tessary" "$@"
  fi
}
[ "$hidden" = 1 ] || echo "note: no private mount namespace here; the build tree stays visible" >&2

out="$(installed --version)"
[ "$out" = "汀禾 (Tessary) $version" ] || fail "--version printed: $out"

report="$(installed --check-sounds)" || { echo "$report"; fail "--check-sounds failed"; }
echo "$report"
grep -qF "声音目录：$prefix/share/tessary/sounds" <<<"$report" || fail "sounds not looked up beside the binary"
grep -qE '^  正常  rain .*/share/tessary/sounds/Ambient/rain.flac$' <<<"$report" || fail "ambient sound rain did not load"
grep -qE '^  正常  Glass .*/share/tessary/sounds/Glass.flac$' <<<"$report" || fail "alert Glass did not load"
! grep -qF "$build" <<<"$report" || fail "the installed binary looked into the build tree"

# The user's own recording wins over ours; one that cannot be read is reported, not skipped.
mkdir -p "$XDG_DATA_HOME/Tessary/Ambient"
cp "$prefix/share/tessary/sounds/Ambient/waves.flac" "$XDG_DATA_HOME/Tessary/Ambient/rain.flac"
echo "not audio" > "$XDG_DATA_HOME/Tessary/Ambient/wind.ogg"
set +e
report="$(installed --check-sounds)"
rc=$?
set -e
[ "$rc" = 1 ] || fail "--check-sounds with an unreadable recording exited $rc"
grep -qE "^  正常  rain .*$XDG_DATA_HOME/Tessary/Ambient/rain.flac$" <<<"$report" || fail "the user's rain recording did not win"
grep -qE '^  无法读取  wind ' <<<"$report" || fail "the unreadable recording was not reported"
rm -r "$XDG_DATA_HOME/Tessary/Ambient"

# Starts and draws its first frame (the QML travels inside the binary).
first_frame_after() { # seconds to wait, then arguments for tessary; sets frame_at (tenths, or "never")
  local wait="$1"; shift
  local log="$work/run.log"
  QT_LOGGING_RULES="tessary.startup=true" installed "$@" 2>"$log" >/dev/null &
  local pid=$!
  pids+=("$pid")
  local t=0
  while [ "$t" -lt $((wait * 10)) ]; do
    if grep -q "first frame" "$log"; then kill "$pid"; wait "$pid" 2>/dev/null || true; frame_at="$t"; return 0; fi
    kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; fail "tessary exited early"; }
    sleep 0.1; t=$((t + 1))
  done
  kill "$pid"; wait "$pid" 2>/dev/null || true
  frame_at=never
}
first_frame_after 30
t="$frame_at"
[ "$t" != never ] || { cat "$work/run.log" >&2; fail "the installed binary drew no frame"; }
echo "first frame after $t tenths of a second"
# In the background with no tray (offscreen has none) the window waits for one, then shows.
first_frame_after 30 --background
t="$frame_at"
[ "$t" != never ] || fail "a background start without a tray never showed the window"
[ "$t" -ge 50 ] || fail "a background start showed the window at once ($t tenths)"
echo "background start without a tray: window after $t tenths of a second"
echo "install test passed"
