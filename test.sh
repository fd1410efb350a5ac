#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test through CTest; then the suite
# again under AddressSanitizer, UBSan and (the audio tests) ThreadSanitizer, in build directories
# of their own (scripts/test-sanitized.sh). --quick runs the first suite only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
case "${1:-}" in
  "" | --quick) ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
"$root/scripts/install-deps.sh"
start=$SECONDS
"$root/scripts/configure-build.sh"
built=$SECONDS
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
echo "Suite: built in $((built - start)) s, tests ran in $((SECONDS - built)) s"
[ "${1:-}" = "--quick" ] && exit 0
"$root/scripts/test-sanitized.sh"
