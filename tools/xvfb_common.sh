# shellcheck shell=bash disable=SC2034  # xvfb_display and xvfb_pid are the caller's
# A private Xvfb display for a script (sourced).
#
#   xvfb_start SIZE LOG   starts Xvfb (SIZE as WxH, 24 bits) on a display
#                         number it picks itself among the free ones, and
#                         waits (up to 20 s) until it takes connections;
#                         sets xvfb_display (":N") and xvfb_pid. Returns 1,
#                         with nothing left running, when it did not start
#                         (its messages are in LOG).
#   xvfb_stop             ends that Xvfb by its PID and waits for it; for
#                         the caller's EXIT trap (nothing to do when none
#                         runs).
#   xvfb_session NAME SIZE
#                         everything a script that runs Velmora on its own
#                         display needs: a scratch folder (work), an EXIT
#                         trap that ends the run in saver_pid, the Xvfb and
#                         the folder, the Xvfb itself (the script ends with
#                         2 and NAME's message when it does not start), and
#                         DISPLAY, the SDL drivers and private XDG folders
#                         exported, XSCREENSAVER_WINDOW unset.
xvfb_pid='' xvfb_display=''

xvfb_start() {
  local size=$1 log=$2 number _
  number=$(mktemp)
  # -displayfd: Xvfb takes the first free number and writes it once it
  # accepts connections.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$number" >"$log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do
    if grep -qs '[0-9]' "$number"; then
      xvfb_display=":$(tr -dc '0-9' <"$number")"
      rm -f "$number"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number"
  xvfb_stop
  return 1
}

xvfb_stop() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid='' xvfb_display=''
}

xvfb_session() {
  local name=$1 size=$2
  work=$(mktemp -d)
  saver_pid=''
  trap xvfb_session_end EXIT
  trap 'exit 130' INT TERM
  xvfb_start "$size" "$work/xvfb.log" ||
    { echo "$name: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 2; }
  export DISPLAY=$xvfb_display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
  export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset XSCREENSAVER_WINDOW
}

xvfb_session_end() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null && wait "$saver_pid" 2>/dev/null
  xvfb_stop
  rm -rf "$work"
}
