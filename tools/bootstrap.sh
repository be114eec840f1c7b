#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs the Debian packages the
# build needs (when missing), then configures and builds a tree.
#
#   velmora_install_packages [extra packages...]
#   velmora_test_user
#   velmora_build BUILD_DIR [cmake options...]

VELMORA_PACKAGES=(
  cmake g++ make pkg-config
  libsdl2-dev libimgui-dev
  libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  librsvg2-bin  # rsvg-convert draws the icon's pictures from its SVG
  libjpeg62-turbo-dev libstb-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev xvfb xauth
  libwayland-dev libwayland-bin wayland-protocols  # the layer-shell client glue (wayland-scanner)
  locales-all  # tests read scene files under a locale with a decimal comma
)

# Installed by ./test.sh only, never by ./run.sh: the screen-saver daemon
# the desktop tests run Velmora under, and the tools of the install,
# package (lintian checks it) and manual-page tests; xdotool, which clicks
# the settings window's buttons; the X server's core fonts, without which
# no message box can open on the test display (the tests check that the
# daemon's roles never open one); the headless Wayland compositor of the
# Wayland tests with its picture and idle tools, and an ordinary Wayland
# window (foot) for them; an ordinary X window (xlogo) above the X11
# wallpaper.
VELMORA_TEST_PACKAGES=(xscreensaver dpkg-dev file man-db groff-base desktop-file-utils xdotool lintian xfonts-base
                       sway grim swayidle foot x11-apps)

# The unprivileged user the daemon test runs the daemon as (the daemon runs
# no modules for root). Made when running as root; nothing otherwise.
velmora_test_user() {
  [ "$(id -u)" -eq 0 ] || return 0
  id velmora-test >/dev/null 2>&1 && return 0
  useradd --system --no-create-home --shell /usr/sbin/nologin velmora-test
}

velmora_install_packages() {
  local wanted=("${VELMORA_PACKAGES[@]}" "$@") missing=() p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Velmora needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || return 1
  apt-get install -y -qq --no-install-recommends "${missing[@]}" || return 1
}

velmora_build() {
  local dir=$1; shift
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  cmake -S "$VELMORA_ROOT" -B "$dir" "$@" || return 1
  cmake --build "$dir" -j "$jobs" || return 1
}
