#!/usr/bin/env bash
# The processor time of the saver over a long run: `velmora -s` (the
# screen-saver role, full screen) on a private Xvfb display for a given
# time, then its user and system time read from /proc/PID/stat before it is
# ended. Prints the seconds of processor time and the average number of
# cores that is.
#
#   bench/saver_cpu.sh [SECONDS]   (default 900)
#
# Environment: VELMORA_PROGRAM (default build-test/program/velmora of this
# tree), VELMORA_CPU_SIZE (the display, default 1024x768), VELMORA_CPU_ARGS
# (more switches for the saver, e.g. "-scale 50"). The display must be at
# least 640x480 (the saver needs that much). Every process it
# starts (Xvfb, velmora) is ended by its PID when the script ends.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-900}
program=${VELMORA_PROGRAM:-$root/build-test/program/velmora}
size=${VELMORA_CPU_SIZE:-1024x768}
case "$seconds" in ''|*[!0-9]*) echo "saver_cpu: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;; esac
[ -x "$program" ] || { echo "saver_cpu: no program at $program" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "saver_cpu: Xvfb is not installed" >&2; exit 2; }

# shellcheck source=tools/xvfb_common.sh
. "$root/tools/xvfb_common.sh"
# A display of our own, with a scratch folder and private settings.
xvfb_session saver_cpu "$size"

# shellcheck disable=SC2086 # the extra switches are words
"$program" -s ${VELMORA_CPU_ARGS:-} >"$work/saver.log" 2>&1 &
saver_pid=$!
start=$(date +%s.%N)
# In the background, so that a signal reaches the trap at once.
sleep "$seconds" &
wait $!
if ! kill -0 "$saver_pid" 2>/dev/null; then
  echo "saver_cpu: the saver ended on its own:" >&2
  tail -n 20 "$work/saver.log" >&2
  exit 1
fi
# Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks
# (the command name, field 2, may hold spaces: count from its closing ")").
read -r utime stime < <(sed 's/.*) //' "/proc/$saver_pid/stat" | awk '{ print $12, $13 }')
end=$(date +%s.%N)
ticks=$(getconf CLK_TCK)
awk -v u="$utime" -v s="$stime" -v t="$ticks" -v a="$start" -v b="$end" -v p="$program" -v a2="${VELMORA_CPU_ARGS:-}" -v z="$size" 'BEGIN {
  cpu = (u + s) / t; wall = b - a
  printf "saver_cpu: %s -s %s at %s for %.0f s: user %.1f s, system %.1f s, %.2f cores on average\n", p, a2, z, wall, u / t, s / t, cpu / wall
}'
