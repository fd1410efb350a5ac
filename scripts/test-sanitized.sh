#!/usr/bin/env bash
# The suite again under sanitizers, each build in its own directory beside ./build:
#   build-sanitize/  everything with AddressSanitizer (leaks included) and UBSan, every test but
#                    the install checks (they build packages, which an instrumented build adds
#                    nothing to);
#   build-tsan/      the audio and sound-processing tests with ThreadSanitizer: the render,
#                    streaming and main threads share nodes, rings and levels there. Not the
#                    device tests: Qt's audio thread synchronises inside Qt and GLib, which
#                    are not instrumented, so every wake-up there reads as a race.
# Any report fails its test. The leak suppressions name third-party code only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
supp="$root/tests/sanitizers/lsan.supp"
export QT_QPA_PLATFORM=offscreen
# The sounds the normal build made, rather than synthesising them again with instrumented code.
sounds=()
[ -f "$root/build/resources/sounds/beep.flac" ] && sounds=("-DTESSARY_SOUNDS_FROM=$root/build/resources/sounds")

start=$SECONDS
BUILD_DIR="$root/build-sanitize" \
  CONFIGURE_ARGS="-DTESSARY_SANITIZE=address,undefined -DTESSARY_BUILD_BENCH=OFF ${sounds[*]}" \
  "$root/scripts/configure-build.sh"
built=$SECONDS
(
  cd "$root/build-sanitize"
  # Full unwinding: Qt is built without frame pointers, and suppressions need the frames.
  export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0:malloc_context_size=30"
  export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # The screen-reader test drives the app with timed keystrokes, which a sanitized binary is too
  # slow to follow; what it checks (what the screens expose) is no concern of the sanitizers.
  ctest --output-on-failure -j2 -LE "installs|a11y" --timeout 900
)
echo "AddressSanitizer + UBSan: built in $((built - start)) s, tests ran in $((SECONDS - built)) s"

start=$SECONDS
BUILD_DIR="$root/build-tsan" \
  CONFIGURE_ARGS="-DTESSARY_SANITIZE=thread -DTESSARY_BUILD_BENCH=OFF ${sounds[*]}" \
  "$root/scripts/configure-build.sh" --target audio_tests dsp_tests
built=$SECONDS
(
  cd "$root/build-tsan"
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
  ctest --output-on-failure -j2 -R '^(audio|dsp)_' -E '^audio_Device' --timeout 900
)
echo "ThreadSanitizer (audio): built in $((built - start)) s, tests ran in $((SECONDS - built)) s"
