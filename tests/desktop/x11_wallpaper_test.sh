#!/usr/bin/env bash
# The live wallpaper on X11: velmora --wallpaper on a private Xvfb display
# draws the scene into the root window, below an ordinary window (xlogo),
# runs on through pointer moves, clicks and keys made with xdotool, and ends
# quietly with code 0 on SIGTERM. XSCREENSAVER_WINDOW (a daemon's window for
# the saver) does not lead it elsewhere.
#
#   x11_wallpaper_test.sh VELMORA_BINARY SCREEN_PICTURE_BINARY PICTURE_SHARE_BINARY CASE
#
# CASE: root, daemon-window-set. Skips (exit code 77, with the reason)
# without Xvfb, xdotool or xlogo.
set -u
. "$(dirname "$0")/common.sh"
velmora_built=$1
picture=$2
share_built=$3
case_name=$4

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v xdotool >/dev/null || skip "xdotool is not installed (./test.sh installs it as root)"
command -v xlogo >/dev/null || skip "xlogo is not installed (./test.sh installs it as root)"

work=$(mktemp -d)
xvfb_pid=
velmora_pid=
logo_pid=
end_pid() {
  local pid=$1
  kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
  kill "$pid" 2>/dev/null
  wait_for 10 sh -c "! kill -0 $pid 2>/dev/null" || kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}
cleanup() {
  [ -n "$velmora_pid" ] && end_pid "$velmora_pid"
  [ -n "$logo_pid" ] && end_pid "$logo_pid"
  [ -n "$xvfb_pid" ] && end_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

# A black root window: no greenish pixel before the wallpaper runs. A
# display whose number another server on the machine has just given up may
# not answer: then another one.
display_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }
for attempt in 1 2 3; do
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 640x480x24 -br -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for 20 grep -qs "[0-9]" "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  display=:$(head -n1 "$work/display")
  export DISPLAY=$display
  wait_for 10 display_answers && break
  end_pid "$xvfb_pid"
  xvfb_pid=
done
[ -n "$xvfb_pid" ] || fail "no Xvfb display answers: $(cat "$work/xvfb.log")"

# An ordinary window in the top left corner (white, with a black logo).
start_logo() {
  xlogo -geometry 240x180+0+0 >"$work/xlogo.log" 2>&1 &
  logo_pid=$!
}
start_logo
logo=
logo_shown() {
  # Gone at once (the display refused it a moment): once more.
  kill -0 "$logo_pid" 2>/dev/null || { wait "$logo_pid" 2>/dev/null; start_logo; return 1; }
  logo=$(xdotool search --onlyvisible --classname xlogo 2>/dev/null | head -n1)
  [ -n "$logo" ]
}
wait_for 30 logo_shown || fail "the xlogo window did not open: $(cat "$work/xlogo.log")"

# The share of greenish pixels (the water of "-water green") in a part of
# the screen, and a checksum of it (it changes with each new frame).
region_share() {
  "$picture" "$display" $1 >"$work/region.ppm" 2>/dev/null || { echo 0; return 0; }
  "$share_built" "$work/region.ppm" 2>/dev/null || echo 0
}
region_sum() { "$picture" "$display" $1 2>/dev/null | md5sum | cut -d' ' -f1; }
inside="20 20 200 140"
outside="300 40 300 200"
[ "$(region_share "$outside")" -le 2 ] || fail "greenish pixels on the root window before the wallpaper ran"
[ "$(region_share "$inside")" -le 2 ] || fail "greenish pixels in the window before the wallpaper ran"

mkdir -p "$work/home/run" "$work/config"
chmod 700 "$work/home/run"
extra=()
if [ "$case_name" = daemon-window-set ]; then
  # The saver of a daemon would draw into that window; a wallpaper stays on
  # the root window.
  extra+=(XSCREENSAVER_WINDOW="$logo")
elif [ "$case_name" != root ]; then
  fail "unknown case $case_name"
fi
env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" DISPLAY="$display" XDG_RUNTIME_DIR="$work/home/run" \
  XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8 SDL_AUDIODRIVER=dummy "${extra[@]}" \
  ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
  "$velmora_built" --wallpaper -water green -no-sound >"$work/velmora.out" 2>"$work/velmora.err" &
velmora_pid=$!
velmora_ended() { ! kill -0 "$velmora_pid" 2>/dev/null; }
velmora_status() {
  wait "$velmora_pid"
  status=$?
  velmora_pid=
}

scene_below() { [ "$(region_share "$outside")" -ge 40 ] && [ "$(region_share "$inside")" -le 2 ]; }
wait_for 60 scene_below || fail "no scene on the root window, or not below the window: around it\
 $(region_share "$outside") %, in it $(region_share "$inside") %: $(cat "$work/velmora.err")"
echo "The scene shows on the root window ($(region_share "$outside") % water) and not over the window\
 ($(region_share "$inside") %)"

# Pointer moves and clicks over the scene and over the window, keys over
# the scene (xlogo ends on Escape): after each, new frames show the
# wallpaper still drawing.
new_frame() { [ "$(region_sum "$outside")" != "$before" ]; }
for spot in "500 400" "100 100" "400 100"; do
  xdotool mousemove $spot mousemove_relative 7 7 click 1 >/dev/null 2>&1
  [ "$spot" = "100 100" ] || xdotool key a key Escape key space >/dev/null 2>&1
  before=$(region_sum "$outside")
  wait_for 30 new_frame || fail "no new frame after input at $spot: $(cat "$work/velmora.err")"
  velmora_ended && { velmora_status; fail "the wallpaper ended on input at $spot with $status"; }
done
[ "$(region_share "$outside")" -ge 40 ] || fail "the scene is gone after the input"
[ "$(region_share "$inside")" -le 2 ] || fail "the scene covers the window after the input ($(region_share "$inside") %)"
echo "Pointer moves, clicks and keys leave the wallpaper running"

kill -TERM "$velmora_pid"
wait_for 30 velmora_ended || fail "the wallpaper did not end on SIGTERM"
velmora_status
[ "$status" -eq 0 ] || fail "the wallpaper ended with $status on SIGTERM: $(cat "$work/velmora.err")"
[ ! -s "$work/velmora.err" ] || fail "the wallpaper said something on SIGTERM: $(cat "$work/velmora.err")"
kill -0 "$logo_pid" 2>/dev/null || fail "the window is gone"
echo "SIGTERM ended the wallpaper quietly with code 0"
