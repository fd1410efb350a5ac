#!/usr/bin/env bash
# Configures (once) and builds the project with Ninja in ./build; arguments go to the build
# (e.g. --target tessary). BUILD_DIR picks another build directory and CONFIGURE_ARGS adds
# CMake settings to its first configure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
  # shellcheck disable=SC2086 # CONFIGURE_ARGS is a list of -D settings
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CONFIGURE_ARGS:-}
fi
cmake --build "$build" "$@"
