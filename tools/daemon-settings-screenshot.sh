#!/usr/bin/env bash
# Takes the picture of the XScreenSaver daemon's settings program with
# Velmora chosen and running in its preview, on a private Xvfb display (for
# the README).
#
#   tools/daemon-settings-screenshot.sh OUT.png [SWITCHES...]
#
# SWITCHES go on Velmora's line in the daemon's settings (-water green, ...).
# Needs Velmora installed under /usr (the package, or cmake --install build
# --prefix /usr): the settings program reads velmora.xml from
# /usr/share/xscreensaver/config. Needs the Debian packages xscreensaver,
# xvfb, x11-apps, x11-utils and netpbm. The daemon runs no modules for root:
# as root the programs run as the user velmora-test (./test.sh makes it).
set -eu
out=$(realpath -m "${1:?usage: tools/daemon-settings-screenshot.sh OUT.png [SWITCHES...]}")
shift
for tool in Xvfb xscreensaver xscreensaver-settings xwd xwininfo xwdtopnm pnmtopng velmora; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -f /usr/share/xscreensaver/config/velmora.xml ] || {
  echo "Velmora is not installed under /usr (its settings page is missing)" >&2
  exit 1
}
if [ "$(id -u)" -eq 0 ]; then
  as_user() { runuser -u velmora-test -- "$@"; }
else
  as_user() { "$@"; }
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
home=$work/home
mkdir -p "$home/run"
chmod 700 "$home/run"
cat >"$home/.xscreensaver" <<CONFIG
mode:		one
selected:	0
timeout:	1:00:00
lock:		False
splash:		False
programs:	\\
  GL: velmora -root $* \\n\\

CONFIG
[ "$(id -u)" -eq 0 ] && chown -R velmora-test "$home"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -qs '[0-9]' "$work/display" && break; sleep 0.1; done
display=:$(head -n1 "$work/display")
run=(env -i PATH="$PATH" HOME="$home" DISPLAY="$display" XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/.config"
     LANG=C.UTF-8)

# With the daemon running the settings program opens without a warning.
as_user "${run[@]}" xscreensaver --no-splash >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do as_user "${run[@]}" xscreensaver-command -time >/dev/null 2>&1 && break; sleep 0.1; done
as_user "${run[@]}" xscreensaver-settings >/dev/null 2>&1 &
pids+=($!)

# The settings window, once Velmora draws in its preview.
window=
for _ in $(seq 300); do
  window=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null |
    awk '/"XScreenSaver: Velmora Settings"/ && !/ 1x1\+/ {print $1; exit}')
  [ -n "$window" ] && pgrep -f "velmora -root.*window-id" >/dev/null && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the settings program did not show Velmora" >&2; exit 1; }
sleep 3  # a few frames in the preview
DISPLAY=$display xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$out"
echo "$out"
