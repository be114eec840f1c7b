#!/usr/bin/env bash
# Velmora under the real XScreenSaver daemon, on a private Xvfb display: the
# daemon runs as an unprivileged user (it runs no modules as root) with a
# configuration that lists Velmora, is told to show it, and Velmora's
# picture must appear on the screen. Stopping the daemon must leave no
# Velmora process behind and no word from Velmora in the daemon's output.
#
#   daemon_test.sh VELMORA_BINARY SCREEN_PIXEL_BINARY
#
# Skips (exit code 77, with the reason) where the daemon cannot run: no
# xscreensaver or Xvfb, or, for root, no unprivileged user (./test.sh makes
# "velmora-test" as root).
set -u
. "$(dirname "$0")/common.sh"
velmora_built=$1
pixel_built=$2
user=velmora-test

command -v xscreensaver >/dev/null || skip "the xscreensaver package is not installed (./test.sh installs it as root)"
command -v xscreensaver-command >/dev/null || skip "xscreensaver-command is missing"
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 || skip "no unprivileged user $user to run the daemon (./test.sh makes it as root)"
  command -v runuser >/dev/null || skip "runuser is missing"
  as_user() { runuser -u "$user" -- "$@"; }
  owner=$user
else
  as_user() { "$@"; }
  owner=$(id -un)
fi

work=$(mktemp -d)
xvfb_pid=
daemon_pid=
cleanup() {
  [ -n "$daemon_pid" ] && kill "$daemon_pid" 2>/dev/null
  pkill -KILL -u "$owner" -f "$work/velmora" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The user reads the programs from here, and keeps its home here.
chmod 755 "$work"
cp "$velmora_built" "$work/velmora"
cp "$pixel_built" "$work/pixel"
chmod 755 "$work/velmora" "$work/pixel"
home=$work/home
mkdir -p "$home/run"
chmod 700 "$home/run"
[ "$(id -u)" -eq 0 ] && chown -R "$user" "$home"

# A display of its own: the daemon covers the whole screen.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 20 grep -qs "[0-9]" "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
display=:$(head -n1 "$work/display")

# The daemon's settings: Velmora only, as the daemon's settings program
# writes it, with one of the page's switches so that the picture is
# Velmora's and not the daemon's black.
cat >"$home/.xscreensaver" <<CONFIG
mode:		one
selected:	0
timeout:	1:00:00
cycle:		0:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
programs:	\\
  GL: $work/velmora -root -water green \\n\\

CONFIG
[ "$(id -u)" -eq 0 ] && chown "$user" "$home/.xscreensaver"

# What Velmora shows. Today's stand-in scene is the chosen water's colour
# (green: 009F75); when the world draws the scene this becomes a check for
# its picture (a greenish, not uniform screen).
picture_is_velmoras() {
  [ "$("$work/pixel" "$display" 2>/dev/null)" = 009F75 ]
}

# A session's environment, not the test's (which chooses SDL's offscreen
# driver for the other tests).
run_env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" DISPLAY="$display" XDG_RUNTIME_DIR="$home/run"
         XDG_CONFIG_HOME="$home/.config" LANG=C.UTF-8)
# A sanitizer build keeps the suite's sanitizer settings.
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
  [ -n "${!name:-}" ] && run_env+=("$name=${!name}")
done
daemon_up() { as_user "${run_env[@]}" xscreensaver-command -time >/dev/null 2>&1; }
daemon_up_or_ended() { daemon_up || ! kill -0 "$daemon_pid" 2>/dev/null; }
# Now and then the daemon ends at once, with status 1 and not a word, on a
# display that has just started; a second start is taken.
for attempt in 1 2 3; do
  as_user "${run_env[@]}" xscreensaver --no-splash >"$work/daemon.log" 2>&1 &
  daemon_pid=$!
  wait_for 30 daemon_up_or_ended
  daemon_up && break
  if kill -0 "$daemon_pid" 2>/dev/null; then
    kill "$daemon_pid"
  else
    wait "$daemon_pid"
    echo "the daemon ended with status $? at start ($attempt)"
  fi
done
daemon_up || fail "the daemon did not start on $display: $(cat "$work/daemon.log")" \
  "$(as_user "${run_env[@]}" xscreensaver-command -time 2>&1)"

as_user "${run_env[@]}" xscreensaver-command -select 1 >/dev/null 2>&1 || fail "xscreensaver-command -select 1 failed"
velmora_running() { pgrep -u "$owner" -f "$work/velmora" >/dev/null; }
wait_for 30 velmora_running || fail "the daemon did not start velmora: $(cat "$work/daemon.log")"
wait_for 30 picture_is_velmoras ||
  fail "Velmora's picture is not on the screen (centre $("$work/pixel" "$display")): $(cat "$work/daemon.log")"
echo "Velmora's picture is on the screen ($("$work/pixel" "$display") at the centre)"

as_user "${run_env[@]}" xscreensaver-command -exit >/dev/null 2>&1 || fail "xscreensaver-command -exit failed"
wait_for 30 sh -c "! kill -0 $daemon_pid 2>/dev/null" || fail "the daemon did not end"
daemon_pid=
velmora_gone() { ! velmora_running; }
wait_for 30 velmora_gone || fail "a velmora process is left: $(pgrep -a -u "$owner" -f "$work/velmora")"

# The daemon's own lines start with its programs' names; anything else, or
# any line about the module (an abnormal end), came from Velmora.
foreign=$(grep -v -E '^(xscreensaver[-a-z]*: |$)' "$work/daemon.log")
about=$(grep -F "$work/velmora" "$work/daemon.log")
[ -z "$foreign" ] && [ -z "$about" ] || fail "output from Velmora: $foreign $about"
echo "Stopping the daemon ended Velmora quietly"
