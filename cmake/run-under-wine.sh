#!/bin/sh
# Runs a Windows console program under Wine, for the command-line tests of the Windows build:
#   SUMWRIGHT_LAUNCHER=cmake/run-under-wine.sh SUMWRIGHT_EXE=build/mingw/sumwright.exe ...
# The Windows C runtime writes the console streams in text mode, so every line the program prints
# ends with CR LF there; this turns that line end back into LF (and nothing else: a CR inside a
# line stays), so that the tests compare the same message texts on both platforms. Output files
# are not touched. The exit status is the program's.
# Wine's own chatter is silenced; WINEPREFIX, when set, chooses the Wine prefix.
set -u
export WINEDEBUG="${WINEDEBUG:--all}"
err=$(mktemp) || exit 125
out=$(mktemp) || exit 125
wine "$@" >"$out" 2>"$err"
status=$?
sed 's/\r$//' "$out"
sed 's/\r$//' "$err" >&2
# Nothing printed at all means that Wine failed before the program ran; say so, for the test log.
if [ "$status" -ne 0 ] && [ ! -s "$err" ] && [ ! -s "$out" ]; then
  echo "run-under-wine.sh: wine ended with status $status before the program printed anything" >&2
fi
rm -f "$out" "$err"
exit "$status"
