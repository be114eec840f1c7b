#!/usr/bin/env bash
# Sets Velmora up (packages, configure, build) and runs the whole test suite
# headless: every case on its own through ctest, then every test program
# whole once. Exits non-zero on any failure.
#
#   ./test.sh              the suite
#   ./test.sh --sanitize   the suite built with AddressSanitizer and UBSan
#   ./test.sh --fuzz       a short run of each fuzz target (needs clang)
#   ./test.sh --tsan       the sound tests built with ThreadSanitizer
#   ./test.sh --soak [SECONDS]  a long run of the saver under Xvfb with the
#                          resident memory watched (tools/soak.sh; default
#                          30 minutes, or VELMORA_SOAK_SECONDS); not run by CI
set -eu
VELMORA_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$VELMORA_ROOT/tools/bootstrap.sh"

mode=suite
case "${1:-}" in
  "") ;;
  --sanitize) mode=sanitize ;;
  --fuzz) mode=fuzz ;;
  --tsan) mode=tsan ;;
  --soak) mode=soak ;;
  *) echo "usage: ./test.sh [--sanitize|--fuzz|--tsan|--soak [SECONDS]]" >&2; exit 2 ;;
esac

extra=()
[ "$mode" = fuzz ] && extra+=(clang libclang-rt-14-dev)
[ "$mode" = tsan ] && extra+=(libtsan2)
velmora_install_packages "${extra[@]}"
# The desktop tests' packages and user, as root (as CI runs); elsewhere those
# tests skip and say why.
if [ "$(id -u)" -eq 0 ]; then
  velmora_install_packages "${VELMORA_TEST_PACKAGES[@]}"
  velmora_test_user
fi

# Rendering tests use Mesa's offscreen EGL driver; the few X11-only paths
# (host windows) get a private Xvfb display.
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
export XDG_CONFIG_HOME="$(mktemp -d)" XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"; }
trap cleanup EXIT
if command -v Xvfb >/dev/null; then
  for n in $(seq 97 130); do
    if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export VELMORA_TEST_X11_DISPLAY=":$n"
      break
    fi
  done
  sleep 1
fi

# Each test program run whole, once, as ctest does not (it starts every case
# in a process of its own): a case that leaves process-wide state behind
# (a registered class, a service, a variable) fails the cases after it.
run_whole() {
  local dir=$1 t failed=()
  for t in "$dir"/tests/test_*; do
    [ -x "$t" ] && [ -f "$t" ] || continue
    echo "== $(basename "$t") whole"
    if ! "$VELMORA_ROOT/tests/headless.sh" "$t" --gtest_brief=1 >"$t.whole.log" 2>&1; then
      tail -n 40 "$t.whole.log"
      failed+=("$(basename "$t")")
    else
      grep -E '^\[  PASSED  \]' "$t.whole.log" | tail -n 1
    fi
  done
  if [ ${#failed[@]} -ne 0 ]; then
    echo "Test programs that fail run whole: ${failed[*]}" >&2
    return 1
  fi
}

case "$mode" in
  soak)
    # The saver alone, on a display of the soak's own.
    cmake -S "$VELMORA_ROOT" -B "$VELMORA_ROOT/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$VELMORA_ROOT/build-test" -j "$(nproc)" --target velmora
    VELMORA_PROGRAM="$VELMORA_ROOT/build-test/program/velmora" "$VELMORA_ROOT/tools/soak.sh" ${2:+"$2"}
    ;;
  suite)
    velmora_build "$VELMORA_ROOT/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir "$VELMORA_ROOT/build-test" --output-on-failure -j "$(nproc)" --timeout 300
    run_whole "$VELMORA_ROOT/build-test"
    ;;
  sanitize)
    velmora_build "$VELMORA_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir "$VELMORA_ROOT/build-asan" --output-on-failure -j "$(nproc)" --timeout 600
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 run_whole "$VELMORA_ROOT/build-asan"
    ;;
  tsan)
    # Only the test program of the sound code is built; its sound cases run,
    # the mixer's audio thread among them.
    cmake -S "$VELMORA_ROOT" -B "$VELMORA_ROOT/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TSAN=ON \
      -DVELMORA_BENCH=OFF
    cmake --build "$VELMORA_ROOT/build-tsan" -j "$(nproc)" --target test_assets
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
      ctest --test-dir "$VELMORA_ROOT/build-tsan" --output-on-failure -j "$(nproc)" --timeout 600 \
      --no-tests=error -R '^(WaveSound[A-Za-z]*|SoundMixer|SoundDeviceProcess|SdlSoundOutput)\.'
    ;;
  fuzz)
    velmora_build "$VELMORA_ROOT/build-fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
    # One target per seed corpus (a build folder may still hold the binary of
    # a target that is gone).
    for corpus in "$VELMORA_ROOT"/tests/fuzz/corpus/*/; do
      f="$VELMORA_ROOT/build-fuzz/tests/fuzz/fuzz_$(basename "$corpus")"
      [ -x "$f" ] || { echo "fuzz target $(basename "$f") was not built" >&2; exit 1; }
      echo "== $(basename "$f")"
      # New inputs go to a scratch corpus (the seeds in tests/fuzz/corpus stay
      # as committed); a crash fails the run instead of vanishing in a pipe.
      # The memory limit makes an input that allocates far beyond its size a
      # finding too.
      scratch=$(mktemp -d)
      if ! "$f" -max_total_time="${VELMORA_FUZZ_SECONDS:-30}" -rss_limit_mb=512 "$scratch" \
          "$corpus" >"$scratch.log" 2>&1; then
        tail -n 40 "$scratch.log"; rm -rf "$scratch"; exit 1
      fi
      tail -n 3 "$scratch.log"; rm -rf "$scratch" "$scratch.log"
    done
    ;;
esac
