#!/bin/bash
# Checks that Ctrl+C reaches the Windows program through its console control handler, under Wine
# (which turns SIGINT into a console Ctrl+C event):
#   cmake/check-windows-interrupt.sh <windows program .exe> <work directory>
# The program is held while it reads its subcommand file from a named pipe; Ctrl+C arrives then.
# The handler also cancels that read, which Windows does at once; Wine does not, so here the read
# returns once the pipe has delivered the line. Either way the next poll ends the run with L3410
# (no line end), exit status 1 and no output file.
set -euo pipefail
exe=$(realpath "$1")
samples=$(realpath "$(dirname "$0")/../samples")
rm -rf "$2"
mkdir -p "$2"
cd "$2"
cp "$samples/app.hex" .
mkfifo options.pipe
# A writer that keeps the pipe open, so that the program waits for the line instead of seeing
# the end of the file; the program itself must not inherit it.
exec 3<>options.pipe
export WINEDEBUG="${WINEDEBUG:--all}"
wine "$exe" app.hex -subcommand=options.pipe -output=out.hex >out.txt 2>err.txt 3>&- &
program=$!
(sleep 120 && kill "$program" 2>/dev/null) 3>&- &
watchdog=$!
# The handler is installed before the program opens the pipe. Until the shell's child has become
# Wine, it still holds the shell's descriptor of the pipe, which does not count.
pipe=$(realpath options.pipe)
shell=$(realpath "$BASH")
opened() {
  local fd
  [[ $(readlink "/proc/$program/exe" 2>/dev/null) != "$shell" ]] || return 1
  for fd in "/proc/$program/fd/"*; do
    [[ $(readlink "$fd" 2>/dev/null) == "$pipe" ]] && return 0
  done
  return 1
}
for _ in $(seq 1 300); do
  opened && break
  sleep 0.1
done
kill -INT "$program"
sleep 1  # the console control handler runs on a thread of its own
printf -- '-crc=FFFE=0-FFFD\n' >&3
exec 3>&-
set +e
wait "$program"
status=$?
set -e
kill "$watchdog" 2>/dev/null || true

messages=$(sed 's/\r$//' err.txt; printf x)
messages=${messages%x}
expected=$'Sumwright Version 1.0.0\n** L3410 (F) Interrupt by user'
failures=0
if [[ $status != 1 ]]; then
  echo "UNEXPECTED: exit status $status after Ctrl+C, not 1"
  failures=$((failures + 1))
fi
if [[ $messages != "$expected" ]]; then
  printf 'UNEXPECTED: messages after Ctrl+C\n  expected: %q\n  actual:   %q\n' "$expected" "$messages"
  failures=$((failures + 1))
fi
if [[ -e out.hex ]] || [[ -n $(find . -name 'out.hex*') ]]; then
  echo "UNEXPECTED: an output file after Ctrl+C: $(find . -name 'out.hex*')"
  failures=$((failures + 1))
fi
if ((failures > 0)); then
  exit 1
fi
echo "as expected: Ctrl+C through the console control handler ends the run with L3410"
