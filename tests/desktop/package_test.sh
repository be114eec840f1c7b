#!/usr/bin/env bash
# The Debian package builds with CPack, holds Velmora's files under /usr,
# depends on the shared libraries the program links, and its program runs.
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

for f in ./usr/bin/velmora ./usr/share/xscreensaver/config/velmora.xml ./usr/share/applications/velmora.desktop \
         ./usr/share/icons/hicolor/scalable/apps/velmora.svg ./usr/share/man/man6/velmora.6 \
         ./usr/share/velmora/Help.html ./usr/share/doc/velmora/README.md; do
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

# What the package holds runs.
dpkg-deb -x "$deb" "$out/root"
version=$("$out/root/usr/libexec/xscreensaver/velmora" --version) || fail "the packaged program does not run"
check '[ "$version" = "Velmora 1.0" ]' "the packaged program says \"$version\""
