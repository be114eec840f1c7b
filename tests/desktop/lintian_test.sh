#!/usr/bin/env bash
# Debian's package checker finds no error and no warning in the package
# CPack builds (its notes are shown, not counted).
#
#   lintian_test.sh BUILD_DIR
set -u
. "$(dirname "$0")/common.sh"
build=$1
for tool in cpack lintian; do
  command -v "$tool" >/dev/null || skip "$tool is missing (package lintian; ./test.sh installs it as root)"
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack -G DEB failed"; }
debs=("$out"/velmora_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single velmora_*.deb in $(ls "$out")"

# Every tag down to the pedantic notes is shown; errors and warnings fail.
lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 "${debs[0]}" >"$out/lintian" 2>&1
status=$?
cat "$out/lintian"
if [ $status -ne 0 ] || grep -qE '^[EW]: ' "$out/lintian"; then
  fail "lintian reports errors or warnings on $(basename "${debs[0]}")"
fi
echo "lintian: no errors, no warnings on $(basename "${debs[0]}")"
