# Shared by the desktop integration tests (sourced).
#
#   skip REASON...      ends the test as skipped (CTest reads exit code 77)
#   fail REASON...      ends the test as failed
#   check COND MESSAGE  fails with MESSAGE unless the command COND succeeds
#   wait_for SECONDS CMD...  runs CMD every 0.2 s until it succeeds; 1 on timeout
#   switches            the command-line switches in the text on standard input,
#                       one a line, sorted ("-water", "--film", "/s")
#   project_version BUILD_DIR   the version the build was configured with
#   broken_links README          the README's relative link targets that are
#                       not beside it, one a line

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

check() {
  local message=$2
  eval "$1" || fail "$message"
}

wait_for() {
  local seconds=$1; shift
  local end=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$end" ]; do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}

switches() {
  grep -oE '(^|[][ ,|(])(--?[a-z][a-z-]*|/[a-z])' | sed -E 's/^[][ ,|(]//' | sort -u
}

project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}

broken_links() {
  local readme=$1 dir target
  dir=$(dirname "$readme")
  grep -oE '\]\([^)#]+\)' "$readme" | sed -E 's/^\]\(//; s/\)$//' | sort -u | while read -r target; do
    case $target in
      *://*|mailto:*) ;;
      *) [ -e "$dir/$target" ] || echo "$target" ;;
    esac
  done
}
