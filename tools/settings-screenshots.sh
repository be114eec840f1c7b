#!/usr/bin/env bash
# Takes the pictures of the settings window for the README on a private
# Xvfb display: the form as the program shows it, and the advanced dialog
# opened over it with a click on "Advanced...".
#
#   tools/settings-screenshots.sh VELMORA OUT_DIR [SCALE]
#
# VELMORA is the program (build/program/velmora); OUT_DIR gets settings.png and
# advanced-settings.png (with SCALE, e.g. 2: settings-2x.png and
# advanced-settings-2x.png, drawn as at that display scaling). The
# settings are a fresh, empty set. Needs xvfb, xdotool, x11-apps
# (xwd), x11-utils and netpbm.
set -eu
velmora=$(realpath "${1:?usage: tools/settings-screenshots.sh VELMORA OUT_DIR [SCALE]}")
out=$(realpath -m "${2:?usage: tools/settings-screenshots.sh VELMORA OUT_DIR [SCALE]}")
scale=${3:-1}
for tool in Xvfb xdotool xwd xwdtopnm pnmcut pnmtopng; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
suffix=
[ "$scale" != 1 ] && suffix="-${scale}x"
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -qs '[0-9]' "$work/display" && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
mkdir -p "$work/config"
XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy VELMORA_SCALE="$scale" "$velmora" >"$work/log" 2>&1 &
pids+=($!)

window=$(timeout 30 xdotool search --sync --name '^Velmora v' | head -n1)
# A few seconds of the scene: the fish swim in, the bubbles rise.
sleep 4
# The whole screen cut to the window: a dump of the window itself may come
# with the red and blue channels of its visual swapped.
shot() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmcut -left "$X" -top "$Y" -width "$WIDTH" -height "$HEIGHT" |
    pnmtopng >"$1"
}
shot "$out/settings$suffix.png"

# "Advanced..." sits at (586, 348) of the form's 96-DPI layout.
x=$(awk -v s="$scale" 'BEGIN { printf "%d", 586 * s }')
y=$(awk -v s="$scale" 'BEGIN { printf "%d", 348 * s }')
xdotool mousemove --window "$window" "$x" "$y"
sleep 0.3
xdotool click 1
sleep 1.5
shot "$out/advanced-settings$suffix.png"
echo "$out/settings$suffix.png $out/advanced-settings$suffix.png"
