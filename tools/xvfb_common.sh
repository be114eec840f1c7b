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
