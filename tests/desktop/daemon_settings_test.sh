#!/usr/bin/env bash
# The daemon's settings page (velmora.xml) offers every settings switch of
# "velmora --help", and velmora takes each value the page can pass: every
# choice, and each slider at its ends and its default. A value beyond a
# slider is refused as a bad command line (exit code 2, reason and usage).
#
#   daemon_settings_test.sh VELMORA_BINARY VELMORA_XML
set -u
. "$(dirname "$0")/common.sh"
velmora=$1
xml=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One element a line.
tr '\n' ' ' <"$xml" | sed 's/</\n</g' >"$tmp/elements"
attr() { sed -nE "s/.* $1=\"([^\"]*)\".*/\\1/p" <<<"$2"; }

grep -q '<screensaver name="velmora"' "$tmp/elements" || fail "the page is not velmora's"
grep -q '<command arg="-root"' "$tmp/elements" || fail "the page does not start velmora with -root"
grep -q '<_description>' "$tmp/elements" || fail "the page has no description"

count=0
while read -r element; do
  args=$(attr arg-set "$element")
  [ -n "$args" ] || continue
  # shellcheck disable=SC2086 # the daemon splits the words the same way
  "$velmora" $args --version >/dev/null 2>"$tmp/err" || fail "velmora refuses the page's \"$args\": $(cat "$tmp/err")"
  echo "$args" >>"$tmp/offered"
  count=$((count + 1))
done <"$tmp/elements"

while read -r element; do
  arg=$(attr arg "$element")
  low=$(attr low "$element")
  high=$(attr high "$element")
  default=$(attr default "$element")
  [ -n "$arg" ] && [ -n "$low" ] && [ -n "$high" ] && [ -n "$default" ] || fail "an incomplete slider: $element"
  for value in "$low" "$default" "$high"; do
    # shellcheck disable=SC2086
    "$velmora" ${arg/\%/$value} --version >/dev/null 2>"$tmp/err" ||
      fail "velmora refuses the page's \"${arg/\%/$value}\": $(cat "$tmp/err")"
  done
  # shellcheck disable=SC2086
  "$velmora" ${arg/\%/$((high + 1))} --version >/dev/null 2>"$tmp/err"
  status=$?
  [ $status -eq 2 ] || fail "\"${arg/\%/$((high + 1))}\" ended with $status, not 2"
  grep -q "needs a whole number $low..$high" "$tmp/err" && grep -q "^usage: velmora" "$tmp/err" ||
    fail "no reason and usage for \"${arg/\%/$((high + 1))}\": $(cat "$tmp/err")"
  echo "$arg" >>"$tmp/offered"
  count=$((count + 1))
done < <(grep '^<number ' "$tmp/elements")

# A choice the page does not offer is a bad command line too.
"$velmora" -root -water purple --version >/dev/null 2>"$tmp/err"
status=$?
[ $status -eq 2 ] && grep -q 'needs one of blue, aquamarine or green, not "purple"' "$tmp/err" &&
  grep -q "^usage: velmora" "$tmp/err" || fail "-water purple ended with $status: $(cat "$tmp/err")"

# Every settings switch of --help is on the page.
"$velmora" --help | sed -n '/^Settings for this run/,/^$/p' | switches >"$tmp/settings"
[ -s "$tmp/settings" ] || fail "velmora --help lists no settings switches"
switches <"$tmp/offered" >"$tmp/page"
missing=$(comm -23 "$tmp/settings" "$tmp/page")
[ -z "$missing" ] || fail "switches of velmora --help missing from the page: $missing"
echo "The page passes $count values, all taken: $(tr '\n' ' ' <"$tmp/page")"
