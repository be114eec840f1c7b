#!/usr/bin/env bash
# Velmora on a Wayland desktop: a headless sway of the test's own (see
# wayland_common.sh), an ordinary window (foot) open, input made with
# swaymsg's seat commands, pictures of the outputs taken with grim.
#
#   wayland_test.sh VELMORA_BINARY PICTURE_SHARE_BINARY VIRTUAL_POINTER_BINARY CASE
#
# CASE: no-display, saver, saver-two-outputs, output-appears,
# no-layer-shell, swayidle, sigterm, output-vanishes, compositor-killed,
# settings, wallpaper. Skips (exit code 77, with the reason) where
# sway cannot run.
set -u
. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/wayland_common.sh"
velmora_built=$1
share_built=$2
pointer_built=$3
case_name=$4

if [ "$case_name" = no-display ]; then
  # Neither display named, no driver chosen: the roles on screen end at
  # once with code 1 and say why; nothing renders for nobody.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  for role in /s /c /p; do
    args=("$role")
    [ "$role" = /p ] && args+=(1234)
    env -i PATH=/usr/bin:/bin HOME="$work" XDG_CONFIG_HOME="$work" XDG_RUNTIME_DIR="$work" SDL_AUDIODRIVER=dummy \
      timeout 60 "$velmora_built" "${args[@]}" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] || fail "velmora $role without a display ended with $status, not 1: $(cat "$work/err")"
    grep -q "no display" "$work/err" || fail "velmora $role without a display did not say why: $(cat "$work/err")"
  done
  echo "Without a display the roles end with code 1: $(cat "$work/err")"
  exit 0
fi

wayland_setup "$velmora_built" "$share_built"
cp "$pointer_built" "$work/pointer"
chmod 755 "$work/pointer"
# The headless compositor has no input device: a virtual pointer gives its
# seat one, which swaymsg's seat commands then move and press.
add_pointer() {
  in_session "$work/pointer" >"$work/pointer.out" 2>&1
  wait_for 30 grep -q ready "$work/pointer.out" || fail "no virtual pointer: $(cat "$work/pointer.out")"
}
command -v foot >/dev/null || skip "foot is not installed (./test.sh installs it as root)"

# An ordinary window, full screen on the first output: its dark pixels are
# no water.
open_window() {
  in_session foot -o colors.background=202020 sleep 3600 >"$work/foot.log" 2>&1
  foot_pid=$!
  window_open() { swaymsg_ -t get_tree 2>/dev/null | grep -q '"app_id": "foot"'; }
  wait_for 30 window_open || fail "the window did not open: $(cat "$work/foot.log")"
}

# Velmora in the session, its standard error in $work/velmora.err; $velmora_pid.
start_velmora() {
  in_session "$work/velmora" "$@" -water green -no-sound >"$work/velmora.out" 2>"$work/velmora.err"
  velmora_pid=$!
}
velmora_ended() { ! kill -0 "$velmora_pid" 2>/dev/null; }
# The exit status of an ended Velmora, in $status.
velmora_status() {
  wait "$velmora_pid"
  status=$?
}

# The saver on every output: the multi-monitor choice "Virtual Desktop"
# (with two monitors the fourth entry, after "Primary Monitor", the two
# monitors and "Dual View").
# The saver reads its settings from the machine-wide folder, under names
# with every bit flipped ("Monitor" as %B2%90%91%96%8B%90%8D).
spanning() {
  mkdir -p "$home/xdg/Ostrevin"
  printf '[Settings]\n%%B2%%90%%91%%96%%8B%%90%%8D=3\n' >"$home/xdg/Ostrevin/Velmora 1.conf"
  [ "$(id -u)" -eq 0 ] && chown -R "$user" "$home/xdg"
  session_env+=(XDG_CONFIG_DIRS="$home/xdg")
}
click_ends() {
  swaymsg_ seat - cursor press button1 >/dev/null
  swaymsg_ seat - cursor release button1 >/dev/null
  wait_for 1 velmora_ended
}
water_on() { [ "$(share "$1")" -ge 40 ]; }
no_water_on() { [ "$(share "$1")" -le 2 ]; }
all_water() {
  local o
  for o in $(outputs); do water_on "$o" || return 1; done
}

case $case_name in
  saver|saver-two-outputs)
    n=1
    [ "$case_name" = saver-two-outputs ] && n=2 && spanning
    sway_start "$n"
    add_pointer
    open_window
    first=$(outputs | head -n1)
    no_water_on "$first" || fail "the window's picture is greenish before the saver ran ($(share "$first") %)"
    start_velmora -s
    wait_for 60 all_water || fail "the scene does not cover every output: $(for o in $(outputs); do
      echo "$o $(share "$o") %"; done) $(cat "$work/velmora.err")"
    echo "The scene covers $(outputs | wc -l) output(s): $(for o in $(outputs); do echo -n "$o $(share "$o") % "; done)"
    # A click ends it (a move too, when chosen). The saver lets the input
    # of its first moments pass, so the click comes again until it ends.
    swaymsg_ seat - cursor move 10 10 >/dev/null
    wait_for 30 click_ends || fail "velmora did not end on a click"
    velmora_status
    [ "$status" -eq 0 ] || fail "velmora ended with $status after a click: $(cat "$work/velmora.err")"
    wait_for 30 no_water_on "$first" || fail "the window is not visible again ($(share "$first") % water)"
    kill -0 "$sway_pid" 2>/dev/null || fail "sway is gone: $(tail -n 20 "$work/sway.log")"
    echo "A click ended the saver with code 0 and the window is visible again"
    ;;
  output-appears)
    # An output plugged in while the saver runs gets the scene too, and an
    # output whose size changes is covered at its new size. With one monitor
    # at the start there is no choice of monitors to keep to.
    sway_start 1
    add_pointer
    open_window
    first=$(outputs | head -n1)
    start_velmora -s
    wait_for 60 water_on "$first" || fail "the saver shows no water ($(share "$first") %): $(cat "$work/velmora.err")"
    swaymsg_ create_output >/dev/null || fail "swaymsg create_output failed"
    two_outputs() { [ "$(outputs | wc -l)" -ge 2 ]; }
    wait_for 30 two_outputs || fail "sway has no second output"
    second=$(outputs | grep -vx "$first" | head -n1)
    wait_for 60 water_on "$second" || fail "the new output $second shows no scene ($(share "$second") %): $(cat "$work/velmora.err")"
    echo "The output $second plugged in later shows the scene ($(share "$second") %)"
    swaymsg_ output "$first" resolution 800x600 >/dev/null || fail "output $first cannot take 800x600"
    # Where the output grew, right of its old 640 pixels and high enough to
    # be water, not the sea floor (the first output is the layout's top
    # left corner): grim's geometry in the layout.
    corner_share() {
      as_user grim -t ppm -g "660,20 120x80" - >"$work/corner.ppm" 2>/dev/null || { echo 0; return 0; }
      "$work/share" "$work/corner.ppm" 2>/dev/null || echo 0
    }
    grown() { [ "$(corner_share)" -ge 15 ]; }
    wait_for 60 grown || fail "the scene does not fill $first at 800x600 ($(corner_share) % water where it grew)"
    wait_for 30 water_on "$second" || fail "the scene left $second after $first grew"
    echo "After $first grew to 800x600 the scene fills it ($(corner_share) % water where it grew)"
    swaymsg_ seat - cursor move 10 10 >/dev/null
    wait_for 30 click_ends || fail "velmora did not end on a click"
    velmora_status
    [ "$status" -eq 0 ] || fail "velmora ended with $status after a click: $(cat "$work/velmora.err")"
    kill -0 "$sway_pid" 2>/dev/null || fail "sway is gone: $(tail -n 20 "$work/sway.log")"
    echo "A click ended the saver with code 0"
    ;;
  no-layer-shell)
    # A compositor without the layer shell (GNOME's) stands in here for a
    # sway whose layer shell Velmora is told to pass over: the saver is then
    # a full-screen window on each output, said once on standard error.
    spanning
    session_env+=(VELMORA_TEST_NO_LAYER_SHELL=1)
    sway_start 2
    add_pointer
    open_window
    first=$(outputs | head -n1)
    no_water_on "$first" || fail "the window's picture is greenish before the saver ran ($(share "$first") %)"
    start_velmora -s
    wait_for 60 all_water || fail "the scene does not cover every output: $(for o in $(outputs); do
      echo "$o $(share "$o") %"; done) $(cat "$work/velmora.err")"
    windows() { swaymsg_ -t get_tree 2>/dev/null | grep -c '"app_id": "velmora"'; }
    [ "$(windows)" -eq 2 ] || fail "$(windows) windows of velmora, not one on each of the 2 outputs"
    swaymsg_ -t get_tree | grep -A3 '"app_id": "velmora"' | grep -q '"shell": "xdg_shell"' ||
      fail "the saver's windows are no xdg-shell clients"
    said=$(grep -c "no layer shell.*a full-screen window on each output instead" "$work/velmora.err")
    [ "$said" -eq 1 ] || fail "the fallback was said $said times, not once: $(cat "$work/velmora.err")"
    echo "Without a layer shell the scene covers each output in a window of its own: $(for o in $(outputs); do
      echo -n "$o $(share "$o") % "; done)"
    swaymsg_ seat - cursor move 10 10 >/dev/null
    wait_for 30 click_ends || fail "velmora did not end on a click"
    velmora_status
    [ "$status" -eq 0 ] || fail "velmora ended with $status after a click: $(cat "$work/velmora.err")"
    wait_for 30 no_water_on "$first" || fail "the window is not visible again ($(share "$first") % water)"
    [ "$(grep -c . "$work/velmora.err")" -eq 1 ] || fail "velmora said more than the fallback: $(cat "$work/velmora.err")"
    echo "A click ended the saver with code 0 and the window is visible again"
    ;;
  swayidle)
    command -v swayidle >/dev/null || skip "swayidle is not installed (./test.sh installs it as root)"
    sway_start 1
    add_pointer
    open_window
    first=$(outputs | head -n1)
    # The saver tells its PID through the file (other users' programs may
    # be called velmora too).
    touch "$work/saver.pid"
    chmod 666 "$work/saver.pid"
    in_session swayidle -w timeout 1 "echo \$\$ >$work/saver.pid; exec $work/velmora -s -water green -no-sound" \
      >"$work/swayidle.log" 2>&1
    swayidle_pid=$!
    velmora_up() { [ -s "$work/saver.pid" ] && kill -0 "$(cat "$work/saver.pid")" 2>/dev/null; }
    wait_for 60 velmora_up || fail "swayidle did not start the saver: $(cat "$work/swayidle.log")"
    wait_for 60 water_on "$first" || fail "the saver started by swayidle shows no water ($(share "$first") %)"
    velmora_pid=$(cat "$work/saver.pid")
    swaymsg_ seat - cursor move 10 10 >/dev/null
    wait_for 30 click_ends || fail "the saver started by swayidle did not end on a click"
    # The session stays idle: swayidle may have started the next one.
    end_pid "$swayidle_pid"
    velmora_up && end_pid "$(cat "$work/saver.pid")"
    echo "swayidle with a 1 s timeout started the saver, and a click ended it"
    ;;
  sigterm)
    sway_start 1
    open_window
    first=$(outputs | head -n1)
    start_velmora -s
    wait_for 60 water_on "$first" || fail "the saver shows no water ($(share "$first") %): $(cat "$work/velmora.err")"
    kill -TERM "$velmora_pid"
    wait_for 30 velmora_ended || fail "velmora did not end on SIGTERM"
    velmora_status
    [ "$status" -eq 0 ] || fail "velmora ended with $status on SIGTERM: $(cat "$work/velmora.err")"
    [ ! -s "$work/velmora.err" ] || fail "velmora said something on SIGTERM: $(cat "$work/velmora.err")"
    sway_answers || fail "sway does not answer after the saver ended: $(tail -n 20 "$work/sway.log")"
    echo "SIGTERM ended the saver quietly with code 0, sway still runs"
    ;;
  output-vanishes)
    # Sway 1.7 cannot disable a headless output ("Failed to commit output"
    # in its log, the output stays): the saver runs on a sway nested in the
    # headless one, whose outputs are windows there, and one is closed.
    spanning
    sway_start 1
    nested_start 2
    start_velmora -s
    wait_for 60 all_water || fail "the scene does not cover both outputs: $(cat "$work/velmora.err")"
    second=$(outputs | sed -n 2p)
    as_user env SWAYSOCK="$parent_swaysock" swaymsg "[title=\"wlroots - $second\"] kill" >/dev/null ||
      fail "the window of output $second cannot be closed"
    output_gone() { ! outputs | grep -qx "$second"; }
    wait_for 30 output_gone || fail "output $second is still there"
    wait_for 30 velmora_ended || fail "velmora did not end when its output $second went"
    velmora_status
    [ "$status" -eq 0 ] || fail "velmora ended with $status when its output went: $(cat "$work/velmora.err")"
    [ ! -s "$work/velmora.err" ] || fail "velmora said something when its output went: $(cat "$work/velmora.err")"
    sway_answers || fail "sway does not answer after the output went: $(tail -n 20 "$work/sway.log")"
    echo "Its output $second vanishing ended the saver quietly with code 0, sway still runs"
    ;;
  compositor-killed)
    sway_start 1
    first=$(outputs | head -n1)
    start_velmora -s
    wait_for 60 water_on "$first" || fail "the saver shows no water ($(share "$first") %): $(cat "$work/velmora.err")"
    kill -KILL "$sway_pid"
    wait "$sway_pid" 2>/dev/null
    sway_pid=
    wait_for 10 velmora_ended || fail "velmora still runs 10 s after its compositor was killed"
    velmora_status
    [ "$status" -eq 1 ] || fail "velmora ended with $status when its compositor went, not 1: $(cat "$work/velmora.err")"
    echo "Killing the compositor ended velmora with code 1: $(cat "$work/velmora.err")"
    ;;
  settings)
    sway_start 1
    first=$(outputs | head -n1)
    start_velmora /c
    native() { swaymsg_ -t get_tree 2>/dev/null | grep -q '"app_id": "velmora"'; }
    wait_for 60 native || fail "no native Wayland window of velmora: $(cat "$work/velmora.err")"
    swaymsg_ -t get_tree | grep -A3 '"app_id": "velmora"' | grep -q '"shell": "xdg_shell"' ||
      fail "the settings window is no xdg-shell client"
    preview() { [ "$(share "$first")" -ge 3 ]; }
    wait_for 60 preview || fail "the settings window shows no preview ($(share "$first") % water)"
    echo "The settings window is a native Wayland client with its preview ($(share "$first") % water)"
    kill -TERM "$velmora_pid"
    wait_for 30 velmora_ended || fail "the settings window did not end on SIGTERM"
    ;;
  wallpaper)
    # No swaybg: its picture on the same layer would cover the scene.
    sway_background=
    sway_start 1
    add_pointer
    open_window
    # The window floats in the top left quarter: the desktop shows around it.
    swaymsg_ '[app_id="foot"] floating enable, resize set 320 240, move position 0 0' >/dev/null ||
      fail "the window cannot be placed"
    inside="40,40 240x160"
    outside="400,40 220x180"
    # The share of water in a part of the layout (grim's geometry), and a
    # checksum of the picture there (it changes with each new frame).
    region_share() {
      as_user grim -t ppm -g "$1" - >"$work/region.ppm" 2>/dev/null || { echo 0; return 0; }
      "$work/share" "$work/region.ppm" 2>/dev/null || echo 0
    }
    region_sum() { as_user grim -t ppm -g "$1" - 2>/dev/null | md5sum | cut -d' ' -f1; }
    window_placed() { [ "$(region_share "$inside")" -le 2 ] && [ "$(region_share "$outside")" -le 2 ]; }
    wait_for 30 window_placed || fail "greenish pixels before the wallpaper ran"
    start_velmora --wallpaper
    scene_below() { [ "$(region_share "$outside")" -ge 40 ] && [ "$(region_share "$inside")" -le 2 ]; }
    wait_for 60 scene_below || fail "no scene around the window, or not below it: around $(region_share "$outside") %,\
 in the window $(region_share "$inside") %: $(cat "$work/velmora.err")"
    echo "The scene shows around the window ($(region_share "$outside") % water) and not over it ($(region_share "$inside") %)"
    # The last "focused" before the window's app_id is the window's own.
    focus=$(swaymsg_ -t get_tree | awk '/"focused":/ { f = $2 } /"app_id": "foot"/ { print f }')
    [ "$focus" = "true," ] || fail "the window lost the keyboard focus to the wallpaper ($focus)"
    # Moves and clicks over the scene and over the window: after each, new
    # frames show that the input was read, and the wallpaper still runs.
    new_frame() { [ "$(region_sum "$outside")" != "$before" ]; }
    for spot in "500 400" "100 100" "600 50"; do
      swaymsg_ seat - cursor set $spot >/dev/null
      swaymsg_ seat - cursor move 7 7 >/dev/null
      swaymsg_ seat - cursor press button1 >/dev/null
      swaymsg_ seat - cursor release button1 >/dev/null
      before=$(region_sum "$outside")
      wait_for 30 new_frame || fail "no new frame after input at $spot: $(cat "$work/velmora.err")"
      velmora_ended && { velmora_status; fail "the wallpaper ended on input at $spot with $status"; }
    done
    [ "$(region_share "$outside")" -ge 40 ] || fail "the scene is gone after the input"
    echo "Pointer moves and clicks leave the wallpaper running"
    kill -TERM "$velmora_pid"
    wait_for 30 velmora_ended || fail "the wallpaper did not end on SIGTERM"
    velmora_status
    [ "$status" -eq 0 ] || fail "the wallpaper ended with $status on SIGTERM: $(cat "$work/velmora.err")"
    [ ! -s "$work/velmora.err" ] || fail "the wallpaper said something on SIGTERM: $(cat "$work/velmora.err")"
    sway_answers || fail "sway does not answer after the wallpaper ended: $(tail -n 20 "$work/sway.log")"
    echo "SIGTERM ended the wallpaper quietly with code 0, sway still runs"
    ;;
  *) fail "unknown case $case_name" ;;
esac
