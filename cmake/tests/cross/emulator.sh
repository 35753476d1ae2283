#!/bin/sh
# The test toolchain's emulator: runs a target program, and fails when it is asked to run
# sumwright, which is a host program and must be run directly.
case "$(basename "$1")" in
  sumwright*)
    echo "emulator.sh: asked to run the host program $1" >&2
    exit 1
    ;;
esac
exec "$@"
