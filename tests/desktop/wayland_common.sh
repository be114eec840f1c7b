# A headless sway of the test's own, for the Wayland tests (sourced after
# common.sh). Sway refuses to run as root: as root it runs as the
# unprivileged user velmora-test (./test.sh makes it), with a runtime
# folder of that user's own (mode 700).
#
#   wayland_setup VELMORA_BINARY   checks the tools (skips without them),
#                       makes $work (the programs, a home) and the cleanup
#   sway_start [OUTPUTS]   starts sway with one output (or OUTPUTS, made with
#                       swaymsg create_output), waits until it answers; a black
#                       wallpaper of swaybg's unless sway_background is set
#                       (empty: none, sway's own grey)
#   as_user CMD...      runs CMD as the user, in the session's environment
#   in_session CMD...   the same, in the background; its PID in $!
#   swaymsg_ ARGS...    swaymsg of the session
#   nested_start OUTPUTS   a sway in sway, whose outputs can be unplugged
#   outputs             the names of the active outputs, one a line
#   share OUTPUT        the percentage of greenish pixels (the water of
#                       "-water green") in a picture of OUTPUT
#   end_pid PID         TERM, then KILL after 10 s; waits for it
#
# Every process started here is ended by its PID in the cleanup.
user=velmora-test

wayland_setup() {
  local velmora_built=$1 picture_built=$2
  command -v sway >/dev/null || skip "sway is not installed (./test.sh installs it as root)"
  command -v swaymsg >/dev/null || skip "swaymsg is missing"
  command -v grim >/dev/null || skip "grim is not installed (./test.sh installs it as root)"
  if [ "$(id -u)" -eq 0 ]; then
    id "$user" >/dev/null 2>&1 || skip "no unprivileged user $user to run sway (./test.sh makes it as root)"
    command -v setpriv >/dev/null || skip "setpriv is missing"
    owner=$user
    as_prefix=(setpriv --reuid="$user" --regid="$user" --init-groups --)
  else
    as_prefix=()
    owner=$(id -un)
  fi
  work=$(mktemp -d)
  pids=()
  trap wayland_cleanup EXIT
  chmod 755 "$work"
  cp "$velmora_built" "$work/velmora"
  cp "$picture_built" "$work/share"
  chmod 755 "$work/velmora" "$work/share"
  home=$work/home
  mkdir -p "$home/run" "$home/.config"
  chmod 700 "$home/run"
  [ "$(id -u)" -eq 0 ] && chown -R "$user" "$home"
  session_env=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run"
               XDG_CONFIG_HOME="$home/.config" LANG=C.UTF-8 SDL_AUDIODRIVER=dummy)
  for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
    [ -n "${!name:-}" ] && session_env+=("$name=${!name}")
  done
  sway_pid=
}

# setpriv runs the program in its own process (runuser would stay as its
# parent): the PIDs the tests end are the programs' own.
as_root_or_user() { "${as_prefix[@]}" "$@"; }

as_user() { as_root_or_user "${session_env[@]}" WAYLAND_DISPLAY="$wayland_display" SWAYSOCK="$swaysock" "$@"; }

# A simple command in the background, so that $! is the program's own PID
# (setpriv and env replace themselves with it); a function would leave a
# shell between.
in_session() {
  "${as_prefix[@]}" "${session_env[@]}" WAYLAND_DISPLAY="$wayland_display" SWAYSOCK="$swaysock" "$@" &
  pids+=($!)
}

swaymsg_() { as_user swaymsg "$@"; }

end_pid() {
  local pid=$1
  kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
  kill "$pid" 2>/dev/null
  wait_for 10 sh -c "! kill -0 $pid 2>/dev/null" || kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

wayland_cleanup() {
  local pid
  for pid in "${pids[@]}"; do end_pid "$pid"; done
  [ -n "$sway_pid" ] && end_pid "$sway_pid"
  rm -rf "$work"
}

sway_answers() { as_user swaymsg -t get_version >/dev/null 2>&1; }

sway_start() {
  local count=${1:-1} n socket
  # No Xwayland, no bar, no borders: the pictures hold only the clients.
  cat >"$work/sway.conf" <<CONFIG
xwayland disable
default_border none
default_floating_border none
output * resolution 640x480${sway_background- background #000000 solid_color}
CONFIG
  chmod 644 "$work/sway.conf"
  "${as_prefix[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  sway_pid=$!
  wait_for 30 sh -c "ls '$home/run' | grep -q '^sway-ipc\..*\.sock$' && ls '$home/run' | grep -qE '^wayland-[0-9]+$'" ||
    fail "sway did not start: $(cat "$work/sway.log")"
  swaysock=$home/run/$(ls "$home/run" | grep '^sway-ipc\..*\.sock$' | head -n1)
  wayland_display=$(ls "$home/run" | grep -E '^wayland-[0-9]+$' | head -n1)
  wait_for 30 sway_answers || fail "sway does not answer: $(cat "$work/sway.log")"
  for ((n = 1; n < count; ++n)); do
    swaymsg_ create_output >/dev/null || fail "swaymsg create_output failed"
  done
  enough_outputs() { [ "$(outputs | wc -l)" -ge "$count" ]; }
  wait_for 30 enough_outputs || fail "sway has $(outputs | wc -l) outputs, not $count"
}

# A second sway with COUNT outputs that are windows of the first one (its
# Wayland backend): closing such a window unplugs that output, which the
# headless outputs cannot do. From then on the helpers above talk to the
# second sway; $parent_swaysock is the first one's.
nested_start() {
  local count=$1 parent_display=$wayland_display
  parent_swaysock=$swaysock
  cat >"$work/nested.conf" <<CONFIG
xwayland disable
default_border none
CONFIG
  chmod 644 "$work/nested.conf"
  "${as_prefix[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
    WAYLAND_DISPLAY="$parent_display" WLR_BACKENDS=wayland WLR_WL_OUTPUTS="$count" WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/nested.conf" >"$work/nested.log" 2>&1 &
  pids+=($!)
  nested_up() {
    ls "$home/run" | grep -E '^wayland-[0-9]+$' | grep -qvx "$parent_display" &&
      ls "$home/run" | grep '^sway-ipc\..*\.sock$' | grep -qvx "$(basename "$parent_swaysock")"
  }
  wait_for 30 nested_up || fail "the nested sway did not start: $(cat "$work/nested.log")"
  wayland_display=$(ls "$home/run" | grep -E '^wayland-[0-9]+$' | grep -vx "$parent_display" | head -n1)
  swaysock=$home/run/$(ls "$home/run" | grep '^sway-ipc\..*\.sock$' | grep -vx "$(basename "$parent_swaysock")" | head -n1)
  wait_for 30 sway_answers || fail "the nested sway does not answer: $(cat "$work/nested.log")"
  enough_outputs() { [ "$(outputs | wc -l)" -ge "$count" ]; }
  wait_for 30 enough_outputs || fail "the nested sway has $(outputs | wc -l) outputs, not $count"
}

outputs() {
  swaymsg_ -p -t get_outputs 2>/dev/null | grep -E '^Output ' | grep -v '(inactive)' | awk '{print $2}'
}

share() {
  local file=$work/$1.ppm
  as_user grim -t ppm -o "$1" - >"$file" 2>/dev/null || { echo 0; return 0; }
  "$work/share" "$file" 2>/dev/null || echo 0
}
