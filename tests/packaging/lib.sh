# Shared by the packaging tests: check, the scratch folder, the closing count.
# Usage in a test: source lib.sh "$@"; then build, src, version and scratch are set.
set -uo pipefail
build=$1
src=$2
version=$3
passed=0
failed=0

# check WHAT COMMAND...: runs the command; a failure is reported with WHAT and counted.
check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAIL: $what" >&2
    failed=$((failed + 1))
  fi
}

# same WHAT EXPECTED ACTUAL
same() {
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3" >&2
    failed=$((failed + 1))
  fi
}

# contains WHAT TEXT PATTERN (grep -E)
contains() {
  if grep -qE -- "$3" <<<"$2"; then
    passed=$((passed + 1))
  else
    printf 'FAIL: %s\n  no match for: %s\n  in: %s\n' "$1" "$3" "$2" >&2
    failed=$((failed + 1))
  fi
}

# The scratch folder sits in the test's working directory (in the build tree, not below /tmp),
# so the help search of a program run with its data below /tmp can never reach it.
scratch=$(mktemp -d "$PWD/run.XXXXXX")
# The data and settings of the programs run here: below /tmp, away from every installed tree.
home=$(mktemp -d /tmp/sorami-pkgtest.XXXXXX)
trap 'rm -rf "$scratch" "$home"' EXIT

# The programs run as a user runs them: no test variables pointing elsewhere.
unset SORAMI_HOME SORAMI_CONFIG_HOME XDG_DATA_HOME XDG_CONFIG_HOME LD_LIBRARY_PATH
export HOME=$home

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# metainfo_valid WHAT FILE: appstreamcli validate --strict reports nothing but that it does
# not know <developer> yet (Debian 12's AppStream 0.16 reads <developer_name>; later ones the
# <developer> tag beside it).
metainfo_valid() {
  local report
  report=$(appstreamcli validate --no-net --strict "$2" 2>&1)
  contains "$1: validated" "$report" "Validation (was successful|failed: infos: 1)"
  same "$1: reports" "" "$(grep -E '^ *[EWIP]:' <<<"$report" | grep -v ': unknown-tag developer$')"
}
