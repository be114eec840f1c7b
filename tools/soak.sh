#!/usr/bin/env bash
# A long run of the saver: Velmora draws into the root window of a private
# Xvfb display ("velmora -root", as an X11 screen-saver daemon runs it) for
# a given time, restarted every round with other settings: between rounds
# the per-user settings file is edited (water, fish, bubbles, lights) and
# the one-run switches change (-water, -fish-count, -clock, -fps ...). The
# resident memory of the running saver is sampled every 10 s; a round fails
# when it grows by more than 10 % over what it was after its first minute.
#
#   tools/soak.sh [SECONDS]     (or VELMORA_SOAK_SECONDS; default 1800)
#
# Environment: VELMORA_PROGRAM (default build-test/program/velmora of this tree),
# VELMORA_SOAK_ROUND (seconds per round; default a sixth of the time, at
# least 120), VELMORA_SOAK_SIZE (the display, default 800x600).
# Prints one line per sample and a summary per round; exits 1 when a round
# grew, or when the saver ended on its own. Every process it starts (Xvfb,
# velmora) is ended by its PID when the script ends, however it ends.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-${VELMORA_SOAK_SECONDS:-1800}}
program=${VELMORA_PROGRAM:-$root/build-test/program/velmora}
size=${VELMORA_SOAK_SIZE:-800x600}
case "$seconds" in ''|*[!0-9]*) echo "soak: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;; esac
round=${VELMORA_SOAK_ROUND:-$((seconds / 6))}
[ "$round" -lt 120 ] && round=120
[ -x "$program" ] || { echo "soak: no program at $program (build the velmora target)" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "soak: Xvfb is not installed" >&2; exit 2; }

# shellcheck source=tools/xvfb_common.sh
. "$root/tools/xvfb_common.sh"
# A display of our own, with a scratch folder and private settings.
xvfb_session soak "$size"
display=$xvfb_display
mkdir -p "$XDG_CONFIG_HOME/Ostrevin"
settings="$XDG_CONFIG_HOME/Ostrevin/Velmora 1.conf"

# Round i's stored settings (the world's options have plain names) and its
# one-run switches, in turn.
stored=(
  "WaterBackgroundIndex=0 FishTypeIndex=0 FishCount=20 BubbleCount=50 UseLights=True UseCaustic=True"
  "WaterBackgroundIndex=1 FishTypeIndex=1 FishCount=100 BubbleCount=100 UseLights=False UseCaustic=True"
  "WaterBackgroundIndex=2 FishTypeIndex=0 FishCount=0 BubbleCount=0 UseLights=True UseCaustic=False"
  "WaterBackgroundIndex=1 FishTypeIndex=1 FishCount=60 BubbleCount=20 FishCaustic=False EmulateDepth=False"
)
switches=(
  ""
  "-water green -fish-count 100 -bubble-count 100 -clock -fps"
  "-water blue -fish-type freshwater -no-clock -no-fps -no-sound"
  "-fish-type saltwater -fish-count 40 -sound -clock"
)

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null; }

failed=0 elapsed=0 i=0
echo "soak: $seconds s in rounds of $round s on $display ($size), program $program"
while [ "$elapsed" -lt "$seconds" ]; do
  this=$round
  [ $((seconds - elapsed)) -lt "$this" ] && this=$((seconds - elapsed))
  [ "$this" -lt 70 ] && this=70  # a round samples past its first minute
  k=$((i % ${#stored[@]}))
  { echo "[Settings]"; for pair in ${stored[$k]}; do echo "$pair"; done; } >"$settings"
  # shellcheck disable=SC2086  # the switches are words
  "$program" -root ${switches[$k]} >"$work/round$i.out" 2>"$work/round$i.err" &
  saver_pid=$!
  echo "round $((i + 1)): settings ${stored[$k]}; switches ${switches[$k]:-(none)}; pid $saver_pid"
  base= peak=0 last=0 t=0
  while [ "$t" -lt "$this" ]; do
    sleep 10
    t=$((t + 10))
    if ! kill -0 "$saver_pid" 2>/dev/null; then
      echo "round $((i + 1)): the saver ended on its own after $t s:" >&2
      tail -n 5 "$work/round$i.err" >&2
      saver_pid=
      failed=1
      break
    fi
    last=$(rss_kb "$saver_pid")
    [ -z "$last" ] && continue
    [ -z "$base" ] && [ "$t" -ge 60 ] && base=$last
    [ -n "$base" ] && [ "$last" -gt "$peak" ] && peak=$last
    echo "  t=${t}s rss=$((last / 1024)) MB"
  done
  if [ -n "$saver_pid" ]; then
    kill "$saver_pid" 2>/dev/null
    wait "$saver_pid" 2>/dev/null
    saver_pid=
  fi
  if [ -n "$base" ]; then
    # Growth from the one-minute sample to the highest after it, in tenths
    # of a percent.
    growth=$(((peak - base) * 1000 / base))
    [ "$growth" -lt 0 ] && growth=0
    verdict=ok
    if [ "$growth" -gt 100 ]; then verdict="GREW"; failed=1; fi
    echo "round $((i + 1)): rss at 60 s $((base / 1024)) MB, highest $((peak / 1024)) MB, last $((last / 1024)) MB," \
      "growth $((growth / 10)).$((growth % 10)) % ($verdict)"
  fi
  elapsed=$((elapsed + this))
  i=$((i + 1))
done
if [ "$failed" -eq 0 ]; then echo "soak: passed ($i rounds, $elapsed s)"; else echo "soak: FAILED"; fi
exit "$failed"
