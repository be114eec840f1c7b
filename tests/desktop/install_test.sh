#!/usr/bin/env bash
# A staged install lists Velmora's files under the chosen prefix, nothing
# outside it, and the installed program runs through the daemon's link and
# says the build's version; the README's pictures are installed with it.
#
#   install_test.sh BUILD_DIR
set -u
. "$(dirname "$0")/common.sh"
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage cmake --install "$build" --prefix /opt/velmora >"$stage.log" 2>&1 || { cat "$stage.log"; fail "cmake --install failed"; }
rm -f "$stage.log"
echo "Installed files:"
(cd "$stage" && find . ! -type d | sort)

prefix=$stage/opt/velmora
for f in bin/velmora bin/velmora-rfa libexec/xscreensaver/velmora share/xscreensaver/config/velmora.xml \
         share/applications/velmora.desktop share/icons/hicolor/scalable/apps/velmora.svg \
         share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/velmora.png \
         share/man/man6/velmora.6.gz share/man/man1/velmora-rfa.1.gz share/velmora/Help.html \
         share/velmora/data.rfa share/doc/velmora/README.md share/doc/velmora/copyright \
         share/doc/velmora/changelog.gz; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
outside=$(cd "$stage" && find . ! -type d ! -path './opt/velmora/*')
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

# The daemon's module is a link that stays inside the tree.
check '[ -L "$prefix/libexec/xscreensaver/velmora" ]' "the module is not a link"
check '[ "$(readlink -f "$prefix/libexec/xscreensaver/velmora")" = "$(readlink -f "$prefix/bin/velmora")" ]' \
  "the module link does not lead to bin/velmora"
version=$("$prefix/libexec/xscreensaver/velmora" --version) || fail "the installed module does not run"
check '[ "$version" = "Velmora $(project_version "$build")" ]' "the installed module says \"$version\""
missing=$(broken_links "$prefix/share/doc/velmora/README.md")
[ -z "$missing" ] || fail "the installed README links to what is not installed: $missing"

# The archive tool reads the installed copy of the carried archive.
"$prefix/bin/velmora-rfa" list "$prefix/share/velmora/data.rfa" >"$stage.list" 2>&1 ||
  { cat "$stage.list"; fail "velmora-rfa cannot list the installed archive"; }
check 'grep -qP "^ravavezaz\\.gsc\\t" "$stage.list"' "the installed archive lacks the scene description"
rm -f "$stage.list"

# The menu entry opens the settings window with the installed icon.
desktop=$prefix/share/applications/velmora.desktop
check 'grep -qx "Exec=velmora -c" "$desktop"' "the desktop entry does not start velmora -c"
check 'grep -qx "Icon=velmora" "$desktop"' "the desktop entry names another icon"
check 'grep -qx "Type=Application" "$desktop"' "the desktop entry is not an application"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the entry"
fi
check 'grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/velmora.svg"' "the icon is no SVG picture"
check 'grep -q "<screensaver name=\"velmora\"" "$prefix/share/xscreensaver/config/velmora.xml"' \
  "the daemon's page does not name velmora"

# Without --prefix the files go under the build's own prefix (/usr/local
# unless it was configured otherwise).
default_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
rm -rf "${stage:?}"/*
DESTDIR=$stage cmake --install "$build" >/dev/null 2>&1 || fail "cmake --install without --prefix failed"
check '[ -x "$stage$default_prefix/bin/velmora" ] && [ -e "$stage$default_prefix/share/velmora/Help.html" ]' \
  "nothing installed under $default_prefix"
