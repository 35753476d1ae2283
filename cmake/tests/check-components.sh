#!/bin/bash
# SPDX-License-Identifier: MIT
# The package's components, and a package whose program cannot run on the configuring host, as
# a Linux configure of cmake/tests/components sees them:
#   cmake/tests/check-components.sh <Linux install prefix> <unpacked Windows ZIP> <work directory>
# - The Windows package: not found, with the reason as the warning and, under REQUIRED, as the
#   error; found with SUMWRIGHT_EXECUTABLE naming a script that runs its sumwright.exe through
#   Wine, which then adds the CRC; COMPONENTS crc alone found without the program.
# - The Linux package: found whole; an unknown component refused with a reason.
# - The Windows package's sumwright.pc names its sumwright.exe.
# Stops at the first failure.
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
mkdir -p "$3"
work=$(realpath "$3")
source_dir=$(realpath "$(dirname "$0")/../..")

fail() {
  printf '%s\n' "$output" >&2
  echo "check-components.sh: $1" >&2
  exit 1
}

# configure <case> <status: 0 or failed> <reason or ""> <cmake arguments...>: configures the case
# project and requires the status and, in its output with every run of blanks and line ends made
# one blank (CMake wraps messages), the reason given.
configure() {
  rm -rf "${work:?}/$1"
  local status=0
  output=$(cmake -S "$source_dir/cmake/tests/components" -B "$work/$1" "${@:4}" 2>&1) || status=1
  [[ $2 == 0 && $status == 0 || $2 == failed && $status != 0 ]] ||
    fail "$1: configure status $status, expected $2"
  [[ -z $3 || $(tr -s '[:space:]' ' ' <<<"$output") == *"$3"* ]] ||
    fail "$1: expected the reason: $3"
}

# found <case> <found.txt>: the case's configure wrote exactly this.
found() {
  diff <(printf '%s' "$2") "$work/$1/found.txt" || fail "$1: found.txt differs (<expected >got)"
}

cannot_run="The program of this package, $windows/bin/sumwright.exe, is built for Windows and\
 cannot run on this Linux host. Set SUMWRIGHT_EXECUTABLE to a sumwright program that runs here,\
 or to a script that runs this one (through wine, for example). A build that needs only the boot\
 header asks for find_package(sumwright COMPONENTS crc)."
configure windows_required failed "$cannot_run" -DCMAKE_PREFIX_PATH="$windows" \
  -DFIND_ARGUMENTS=REQUIRED
configure windows_optional 0 "$cannot_run" -DCMAKE_PREFIX_PATH="$windows"
found windows_optional $'sumwright_FOUND=0\nsumwright_program_FOUND=FALSE\nsumwright_crc_FOUND=TRUE\ntarget sumwright::crc\n'
configure windows_crc_alone 0 "" -DCMAKE_PREFIX_PATH="$windows" \
  "-DFIND_ARGUMENTS=REQUIRED;COMPONENTS;crc"
found windows_crc_alone $'sumwright_FOUND=1\nsumwright_crc_FOUND=TRUE\ntarget sumwright::crc\n'

# The route for a program that cannot run here: a script that runs it.
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$source_dir/cmake/run-under-wine.sh" \
  "$windows/bin/sumwright.exe" >"$work/sumwright-wine"
chmod +x "$work/sumwright-wine"
configure windows_through_wine 0 "" -DCMAKE_PREFIX_PATH="$windows" -DFIND_ARGUMENTS=REQUIRED \
  -DSUMWRIGHT_EXECUTABLE="$work/sumwright-wine"
found windows_through_wine $'sumwright_FOUND=1\nsumwright_program_FOUND=TRUE\nsumwright_crc_FOUND=TRUE\ntarget sumwright::crc\nfunctions\n'
cmake --build "$work/windows_through_wine"
cmp "$work/windows_through_wine/firmware_crc.hex" \
  "$source_dir/examples/firmware/expected/firmware_crc.hex" || fail "Wine's output differs"

configure linux_whole 0 "" -DCMAKE_PREFIX_PATH="$linux" -DFIND_ARGUMENTS=REQUIRED
found linux_whole $'sumwright_FOUND=1\nsumwright_program_FOUND=TRUE\nsumwright_crc_FOUND=TRUE\ntarget sumwright::sumwright\ntarget sumwright::crc\nfunctions\n'
configure linux_unknown_component failed \
  'sumwright has no component "header"; its components are program and crc.' \
  -DCMAKE_PREFIX_PATH="$linux" "-DFIND_ARGUMENTS=REQUIRED;COMPONENTS;crc;header"

output=$(PKG_CONFIG_LIBDIR="$windows/share/pkgconfig" pkg-config --variable=sumwright sumwright)
[[ $output == "$windows/share/pkgconfig/../../bin/sumwright.exe" ]] ||
  fail "pkg-config --variable=sumwright names another program"
