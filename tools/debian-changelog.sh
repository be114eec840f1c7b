#!/bin/sh
# Writes CHANGELOG.md's releases as a Debian changelog, for the package.
#
#   debian-changelog.sh CHANGELOG.md PACKAGE "NAME <MAIL>" OUT
#
# A release is a heading "## VERSION - YYYY-MM-DD"; its paragraphs and
# "- " items become the entry's items, wrapped as they are written.
set -eu
in=$1 package=$2 maintainer=$3 out=$4
awk -v package="$package" -v maintainer="$maintainer" '
  function trailer() {
    if (version == "") return
    flush()
    cmd = "LC_ALL=C date -u -R -d " day
    cmd | getline stamp
    close(cmd)
    printf "\n -- %s  %s\n", maintainer, stamp
  }
  function flush() {
    if (item != "") print item
    item = ""
  }
  /^## / {
    trailer()
    version = $2; day = $4
    if (version !~ /^[0-9][0-9.]*$/ || day !~ /^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$/) {
      print "debian-changelog.sh: bad release heading: " $0 > "/dev/stderr"; exit 1
    }
    if (entries++) print ""
    printf "%s (%s) unstable; urgency=medium\n\n", package, version
    next
  }
  version == "" { next }
  /^[ \t]*$/ { flush(); next }
  /^- / { flush(); item = "  * " substr($0, 3); next }
  /^  / && item != "" { sub(/^ +/, ""); item = item "\n    " $0; next }
  { if (item == "") item = "  * " $0; else item = item "\n    " $0 }
  END {
    trailer()
    if (!entries) { print "debian-changelog.sh: no release in the changelog" > "/dev/stderr"; exit 1 }
  }
' "$in" > "$out.tmp"
mv "$out.tmp" "$out"
