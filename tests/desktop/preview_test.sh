#!/usr/bin/env bash
# The settings window's "Preview" button, clicked as a person clicks it: plain
# velmora on a private Xvfb display, a change made in the form (the Lights
# box), the button clicked with xdotool at its place in the window. The scene
# must go full screen with the program alive, a key must bring the settings
# window back, and the change must still be there (nothing saved yet). The
# program is then ended by its process id.
#
#   preview_test.sh VELMORA_BINARY SCREEN_PIXEL_BINARY
#
# Skips (exit code 77, with the reason) without Xvfb or xdotool.
set -u
. "$(dirname "$0")/common.sh"
velmora_built=$1
pixel=$2

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed (./test.sh installs it as root)"

work=$(mktemp -d)
xvfb_pid=
velmora_pid=
cleanup() {
  [ -n "$velmora_pid" ] && kill -KILL "$velmora_pid" 2>/dev/null && wait "$velmora_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 20 grep -qs "[0-9]" "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=:$(head -n1 "$work/display")
export DISPLAY=$display

mkdir -p "$work/home/run" "$work/config"
chmod 700 "$work/home/run"
env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/home/run" \
  XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
  "$velmora_built" >"$work/velmora.log" 2>&1 &
velmora_pid=$!

alive() { kill -0 "$velmora_pid" 2>/dev/null; }
ended_with() {
  wait "$velmora_pid"
  local code=$?
  velmora_pid=
  fail "velmora ended with exit code $code $1: $(cat "$work/velmora.log")"
}

# The settings window: its place on the screen.
window=
find_window() {
  window=$(xdotool search --onlyvisible --pid "$velmora_pid" 2>/dev/null | head -n1)
  [ -n "$window" ]
}
wait_for 60 find_window || { alive || ended_with "before its window opened"; fail "no settings window appeared"; }
origin() {
  # The window may go between finding it and asking for its place (the
  # preview makes a window of its own): no answer is "not yet".
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || return 1
  case "$geometry" in *X=*Y=*WIDTH=*) ;; *) return 1 ;; esac
  eval "$geometry"
  wx=$X wy=$Y ww=$WIDTH
}

# A colour on the screen as "r g b".
rgb() {
  local hex
  hex=$("$pixel" "$display" "$1" "$2" 2>/dev/null) || return 1
  echo "$((16#${hex:0:2})) $((16#${hex:2:2})) $((16#${hex:4:2}))"
}
near() {  # near X Y R G B: the colour at (X, Y) within 24 of (R, G, B)
  local c
  c=($(rgb "$1" "$2")) || return 1
  [ ${#c[@]} -eq 3 ] || return 1
  local d
  for i in 0 1 2; do
    d=$((c[i] - $((i == 0 ? $3 : i == 1 ? $4 : $5))))
    [ "${d#-}" -le 24 ] || return 1
  done
}
# The form's colour (45, 190, 219) in the gap between "Contact Us" and "OK",
# and the Lights box (at 502, 126 of the window, in the water group) ticked
# or not: some of its inside is the tick's dark (0, 70, 110), or all of it
# the light of an empty box (190, 244, 255).
form_shown() { find_window && origin && [ "$ww" -ge 600 ] && near $((wx + 420)) $((wy + 398)) 45 190 219; }
lights_x() { echo $((wx + 502 + 9)); }
lights_y() { echo $((wy + 126 + 9)); }
lights_inside() {  # lights_inside R G B: how many of 16 inner points are that colour
  local n=0 dx dy
  for dy in 3 6 9 12; do
    for dx in 3 6 9 12; do
      near $((wx + 502 + dx)) $((wy + 126 + dy)) "$1" "$2" "$3" && n=$((n + 1))
    done
  done
  echo "$n"
}
lights_ticked() { [ "$(lights_inside 0 70 110)" -ge 2 ]; }
lights_empty() { [ "$(lights_inside 190 244 255)" -eq 16 ]; }

wait_for 60 form_shown || { alive || ended_with "before the form was drawn"; fail "the settings form is not on the screen: $(rgb $((wx + 420)) $((wy + 398)))"; }
echo "the settings window is at $wx,$wy"

# An unsaved change: Lights switched off with a click on its box.
wait_for 20 lights_ticked || fail "the Lights box is not ticked at the start: $(rgb "$(lights_x)" "$(lights_y)")"
# (The pointer then rests away from the controls, whose colour it changes.)
xdotool mousemove "$(lights_x)" "$(lights_y)" click 1 sleep 0.3 mousemove $((wx + 420)) $((wy + 378))
wait_for 20 lights_empty || fail "a click on Lights did not clear it: $(rgb "$(lights_x)" "$(lights_y)")"

# "Preview" (75 x 25 at 6, 386 of the window): the scene full screen, the
# settings window's form gone from its place and the program running on.
xdotool mousemove $((wx + 6 + 37)) $((wy + 386 + 12)) sleep 0.3 click 1
full_screen() {
  alive || return 1
  ! near $((wx + 420)) $((wy + 398)) 45 190 219 && ! near 4 4 0 0 0 && ! near 1019 763 0 0 0
}
wait_for 30 full_screen || { alive || ended_with "after Preview was clicked"; fail "Preview did not show the scene full screen"; }
# Still alive a moment later: the first frames after the switch drew.
for n in 1 2 3 4 5 6 7 8 9 10; do alive || ended_with "while the preview ran"; sleep 0.2; done
echo "the preview runs full screen"

# A key ends the preview: the settings window is back, the change kept.
xdotool key space
wait_for 30 form_shown || { alive || ended_with "when the preview ended"; fail "the settings window did not come back"; }
wait_for 20 lights_empty || fail "the unsaved change (Lights off) was lost: $(rgb "$(lights_x)" "$(lights_y)")"
alive || ended_with "after the preview"
echo "the settings window came back with its change"

kill "$velmora_pid"
wait "$velmora_pid" 2>/dev/null
velmora_pid=
exit 0
