#!/usr/bin/env bash
# Installs what is missing, builds, and starts 汀禾.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/configure-build.sh" --target tessary
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "汀禾需要图形桌面：没有找到显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）。" >&2
  exit 1
fi
exec "$root/build/src/app/tessary" "$@"
