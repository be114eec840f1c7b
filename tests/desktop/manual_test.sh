#!/usr/bin/env bash
# The manual page renders without warnings and its OPTIONS list exactly the
# switches of "velmora --help".
#
#   manual_test.sh VELMORA_BINARY MANUAL_PAGE
set -u
. "$(dirname "$0")/common.sh"
velmora=$1
page=$2
command -v man >/dev/null || skip "man is missing (packages man-db and groff-base; ./test.sh installs them as root)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

LC_ALL=C MANWIDTH=100 man --warnings -l "$page" >"$tmp/page" 2>"$tmp/warnings" || fail "man -l failed: $(cat "$tmp/warnings")"
[ ! -s "$tmp/warnings" ] || fail "the page has warnings: $(cat "$tmp/warnings")"
grep -q "^NAME" "$tmp/page" && grep -q "velmora - an animated underwater world" "$tmp/page" || fail "no NAME section"

"$velmora" --help >"$tmp/help" || fail "velmora --help failed"
sed -n '/^OPTIONS/,/^[A-Z][A-Z ]*$/p' "$tmp/page" | sed '1d;$d' | switches >"$tmp/page-switches"
switches <"$tmp/help" >"$tmp/help-switches"
[ "$(wc -l <"$tmp/help-switches")" -ge 25 ] || fail "too few switches in velmora --help: $(cat "$tmp/help-switches")"
diff -u "$tmp/help-switches" "$tmp/page-switches" >"$tmp/diff" ||
  fail "the manual page and velmora --help list different switches (- help, + page): $(cat "$tmp/diff")"
echo "Both list: $(tr '\n' ' ' <"$tmp/help-switches")"
