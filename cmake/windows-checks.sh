# SPDX-License-Identifier: MIT
# Sourced by the Windows checks: expect <what> <expected> <actual> reports one comparison and
# counts a mismatch in $failures; finish <what> ends with status 1 after any mismatch.
failures=0
expect() {
  if [[ $2 == "$3" ]]; then
    echo "as expected: $1"
  else
    printf 'UNEXPECTED: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}
finish() {
  ((failures == 0)) || { echo "$failures $1 failed" && exit 1; }
}
