#!/usr/bin/env bash
# The README's shell lines that add Velmora to ~/.xscreensaver add it once:
# to a new file, after "programs:" in an existing one, and never again
# when the file already names it.
#
#   readme_daemon_lines_test.sh README.md
set -u
. "$(dirname "$0")/common.sh"
readme=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

lines=$(sed -n '/^ *if \[ ! -e ~\/.xscreensaver \]; then$/,/^ *fi$/p' "$readme" | sed 's/^       //')
[ -n "$lines" ] || fail "no lines for ~/.xscreensaver in $readme"
echo "$lines"
run_twice() {
  HOME=$home bash -eu -c "$lines" || fail "the README's lines failed"
  HOME=$home bash -eu -c "$lines" || fail "the README's lines failed the second time"
}
velmora_lines() { grep -c '^  GL: velmora -root \\n\\$' "$home/.xscreensaver"; }

run_twice
check '[ "$(velmora_lines)" = 1 ]' "a new ~/.xscreensaver names velmora $(velmora_lines) times: $(cat "$home/.xscreensaver")"
check 'head -n1 "$home/.xscreensaver" | grep -q "^programs:"' "a new ~/.xscreensaver has no programs: $(cat "$home/.xscreensaver")"

printf 'timeout:\t0:10:00\nprograms:\t\\\n  GL: other -root \\n\\\n\n' >"$home/.xscreensaver"
run_twice
check '[ "$(velmora_lines)" = 1 ]' "an existing ~/.xscreensaver names velmora $(velmora_lines) times: $(cat "$home/.xscreensaver")"
check '[ "$(sed -n 3p "$home/.xscreensaver")" = "  GL: velmora -root \\n\\" ]' \
  "velmora's line is not right after programs: $(cat "$home/.xscreensaver")"
check 'grep -q "GL: other -root" "$home/.xscreensaver"' "the other program's line is gone"
echo "Velmora is named once in both files."
