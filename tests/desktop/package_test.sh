#!/usr/bin/env bash
# The Debian package builds with CPack, holds Velmora's files under /usr,
# depends on the shared libraries the program links, and its program runs;
# the package, the program, the manual page and the changelog give one
# version, the build's, and the README's pictures come with it.
#
#   package_test.sh BUILD_DIR
set -u
. "$(dirname "$0")/common.sh"
build=$1
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || skip "$tool is missing (packages dpkg-dev and file; ./test.sh installs them as root)"
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$out"/velmora_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single velmora_*.deb in $(ls "$out")"
deb=${debs[0]}
echo "$(basename "$deb"):"
dpkg-deb -c "$deb" | tee "$out/contents"

for f in ./usr/bin/velmora ./usr/bin/velmora-rfa ./usr/share/xscreensaver/config/velmora.xml \
         ./usr/share/applications/velmora.desktop ./usr/share/icons/hicolor/scalable/apps/velmora.svg \
         ./usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/velmora.png \
         ./usr/share/man/man6/velmora.6.gz ./usr/share/man/man1/velmora-rfa.1.gz \
         ./usr/share/velmora/Help.html ./usr/share/velmora/data.rfa ./usr/share/doc/velmora/README.md \
         ./usr/share/doc/velmora/copyright ./usr/share/doc/velmora/changelog.gz; do
  grep -q " $f\$" "$out/contents" || fail "the package lacks $f"
done
grep -q " ./usr/libexec/xscreensaver/velmora -> ../../bin/velmora\$" "$out/contents" ||
  fail "the package lacks the daemon's module link"

# dpkg-shlibdeps found the linked libraries.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libsdl2-2.0-0 libjpeg62-turbo zlib1g libglib2.0-0 libgl1; do
  [[ ", $depends," == *", $lib"[\ ,]* ]] || fail "Depends lacks $lib"
done
check '[ "$(dpkg-deb -f "$deb" Package)" = velmora ]' "the package is not named velmora"
# The help page opens through the desktop opener.
check '[[ ", $(dpkg-deb -f "$deb" Recommends)," == *", xdg-utils,"* ]]' "the package does not recommend xdg-utils"

# What the package holds runs.
dpkg-deb -x "$deb" "$out/root"
version=$("$out/root/usr/libexec/xscreensaver/velmora" --version) || fail "the packaged program does not run"
release=$(project_version "$build")
check '[ "$(dpkg-deb -f "$deb" Version)" = "$release" ]' "the package's version is not the build's $release"
check '[ "$version" = "Velmora $release" ]' "the packaged program says \"$version\""
man_header=$(zcat "$out/root/usr/share/man/man6/velmora.6.gz" | grep -m1 '^\.TH')
echo "Manual page: $man_header"
[[ $man_header == ".TH VELMORA 6 \"20"[0-9][0-9]-[0-9][0-9]-[0-9][0-9]"\" \"Velmora $release\" "* ]] ||
  fail "the manual page's header does not give the release date and Velmora $release: $man_header"
changelog_top=$(zcat "$out/root/usr/share/doc/velmora/changelog.gz" | head -n1)
check '[ "$changelog_top" = "velmora ($release) unstable; urgency=medium" ]' \
  "the changelog's newest entry is not $release: $changelog_top"
# The manual page's date is the release's, as the changelog gives it.
day=$(echo "$man_header" | cut -d'"' -f2)
check 'zcat "$out/root/usr/share/doc/velmora/changelog.gz" | grep -m1 "^ -- " | grep -q "$(LC_ALL=C date -u -R -d "$day")"' \
  "the manual page's date $day is not the changelog's"

# Every picture the README shows is in the package, and the icon's
# pictures have the sizes their folders name.
missing=$(broken_links "$out/root/usr/share/doc/velmora/README.md")
[ -z "$missing" ] || fail "the packaged README links to what the package lacks: $missing"
for size in 48 64 128 256; do
  file "$out/root/usr/share/icons/hicolor/${size}x$size/apps/velmora.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}x$size icon is no $size x $size PNG picture"
done
