#!/usr/bin/env bash
# What each part of the frame costs, two ways.
# 1. `velmora --bench` of the whole scene, then with each part left out in
#    turn (the water's layers with --leave-out, the fish, bubbles and clocks
#    with their one-run switches), the runs interleaved round by round.
#    Prints per part the median processor milliseconds per frame (all
#    threads, the software renderer's included: steadier than the wall
#    clock on a busy machine) and what leaving it out saved against the
#    whole scene of the same round.
# 2. `velmora --bench --pass-times`, once per round: each object and water
#    layer finished on its own; the median wall milliseconds of each pass
#    and the program thread's processor milliseconds in it (passes below
#    0.05 ms left out).
#
#   bench/layer_costs.sh [ROUNDS] [SECONDS] [WxH]   (default 3 rounds of 3 s at 1024x768)
#
# Environment: VELMORA_PROGRAM (default build-test/program/velmora of this tree).
# Runs on the offscreen driver in a settings folder of its own.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3} seconds=${2:-3} size=${3:-1024x768}
program=${VELMORA_PROGRAM:-$root/build-test/program/velmora}
[ -x "$program" ] || { echo "layer_costs: no program at $program" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

parts=(whole surface surface-light backdrop bottom fog-layers light-rays background caustics fish-caustics fish bubbles clocks)
arguments() {
  case "$1" in
    whole) ;;
    fish) echo "-fish-count 0" ;;
    bubbles) echo "-bubble-count 0" ;;
    clocks) echo "-no-clock" ;;
    *) echo "--leave-out $1" ;;
  esac
}
cpu_ms() { sed -n 's/.*cpu_ms_per_frame=\([0-9.]*\).*/\1/p' | tail -n 1; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for round in $(seq "$rounds"); do
  for part in "${parts[@]}"; do
    # shellcheck disable=SC2046
    "$program" --bench "$seconds" --size "$size" --seed 1 --at 2026-01-02T10:20:30 $(arguments "$part") \
      | cpu_ms >>"$work/$part.$round"
  done
  whole=$(cat "$work/whole.$round")
  for part in "${parts[@]}"; do
    awk -v w="$whole" '{ print w - $1 }' "$work/$part.$round" >>"$work/$part.saved"
    cat "$work/$part.$round" >>"$work/$part.all"
  done
done

echo "layer_costs: $size, $rounds rounds of $seconds s, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %16s %18s\n' part cpu_ms/frame "saved (ms/frame)"
for part in "${parts[@]}"; do
  printf '%-14s %16s %18s\n' "$part" "$(median <"$work/$part.all")" "$(median <"$work/$part.saved")"
done

for _ in $(seq "$rounds"); do
  "$program" --bench "$seconds" --size "$size" --seed 1 --at 2026-01-02T10:20:30 --pass-times \
    | sed -n 's/^pass \(.*\) wall_ms=\([0-9.]*\) thread_ms=\([0-9.]*\)$/\1|\2|\3/p' >>"$work/passes"
done
echo
printf '%-28s %12s %16s\n' pass "wall ms" "thread ms"
cut -d'|' -f1 "$work/passes" | awk '!seen[$0]++' | while IFS= read -r pass; do
  wall=$(awk -F'|' -v p="$pass" '$1 == p { print $2 }' "$work/passes" | median)
  thread=$(awk -F'|' -v p="$pass" '$1 == p { print $3 }' "$work/passes" | median)
  awk -v w="$wall" 'BEGIN { exit !(w >= 0.05) }' && printf '%-28s %12s %16s\n' "$pass" "$wall" "$thread"
done
