#!/usr/bin/env bash
# The README's speed figures, measured again: `velmora --bench` of the whole
# scene at 1024x768 and 1920x1080, at each render scale, beside --blank,
# the runs interleaved round by round; then the start-up to the first frame
# (`--film 1 --rate 1`, the whole process); then, unless SKIP_LAYERS=1, what
# each part of the frame costs (bench/layer_costs.sh). Medians of ROUNDS
# runs; the frame rate and milliseconds per frame by the wall clock, and the
# processor milliseconds per frame (all threads), which a busy machine
# disturbs less.
#
#   bench/speed_table.sh [ROUNDS] [SECONDS]   (default 3 rounds of 5 s)
#
# Environment: VELMORA_PROGRAM (default build-test/program/velmora of this tree).
# Runs on the offscreen driver in a settings folder of its own.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3} seconds=${2:-5}
program=${VELMORA_PROGRAM:-$root/build-test/program/velmora}
[ -x "$program" ] || { echo "speed_table: no program at $program" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" | tail -n 1; }

runs=(
  "1024x768|--size 1024x768"
  "1024x768 --blank|--size 1024x768 --blank"
  "1024x768 -scale 75|--size 1024x768 -scale 75"
  "1024x768 -scale 50|--size 1024x768 -scale 50"
  "1920x1080|--size 1920x1080"
  "1920x1080 --blank|--size 1920x1080 --blank"
  "1920x1080 -scale 75|--size 1920x1080 -scale 75"
  "1920x1080 -scale 50|--size 1920x1080 -scale 50"
)
echo "speed_table: $program, $rounds rounds of $seconds s, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq "$rounds"); do
  for i in "${!runs[@]}"; do
    # shellcheck disable=SC2086 # the switches are words
    "$program" --bench "$seconds" --seed 1 --at 2026-01-02T10:20:30 ${runs[$i]#*|} >"$work/out" 2>&1 || true
    for f in fps ms_per_frame cpu_ms_per_frame; do field "$f" <"$work/out" >>"$work/$i.$f"; done
  done
done
printf '| %-28s | %8s | %8s | %12s |\n' "--bench $seconds" fps ms/frame "cpu ms/frame"
for i in "${!runs[@]}"; do
  printf '| %-28s | %8s | %8s | %12s |\n' "${runs[$i]%%|*}" "$(median <"$work/$i.fps")" \
    "$(median <"$work/$i.ms_per_frame")" "$(median <"$work/$i.cpu_ms_per_frame")"
done

# Start-up: from exec to the first frame written and the process gone.
for _ in $(seq "$rounds"); do
  start=$(date +%s%N)
  (cd "$work" && "$program" --film 1 --rate 1 --out "$work/first.bmp" >/dev/null 2>&1)
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000000 ))" >>"$work/startup"
done
echo "start-up to the first frame (--film 1 --rate 1, whole process): $(median <"$work/startup") ms (median of $rounds)"

if [ "${SKIP_LAYERS:-0}" != 1 ]; then
  VELMORA_PROGRAM=$program "$root/bench/layer_costs.sh" "$rounds" "$seconds"
fi
