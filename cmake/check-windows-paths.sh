#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks what only the Windows program does with file names, under Wine:
#   cmake/check-windows-paths.sh <windows program .exe> <work directory>
# Backslash directories for the derived output name and the S0 header, drive-letter paths, and an
# output that names the input in other letter case (the same file on a case-insensitive file
# system). Expected header records are checksummed by hand.
set -euo pipefail
exe=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
launcher=$(realpath "$(dirname "$0")/run-under-wine.sh")
samples=$(realpath "$(dirname "$0")/../samples")
source "$(dirname "$0")/windows-checks.sh"

# run <arguments...>: runs the program in $work/case, leaves status and messages in globals.
run() {
  set +e
  messages=$(cd "$work/case" && "$launcher" "$exe" "$@" 2>&1 >/dev/null)
  status=$?
  set -e
}

fresh_case() {
  rm -rf "$work/case"
  mkdir -p "$work/case/sub.d"
  cp "$samples/app.s19" "$work/case/sub.d/app.s19"
}

banner="Sumwright Version 1.0.0"
completed=$'** L0500 (I) Generated CRC code at "0x0000FFFE"\n\nSumwright Completed'

# The derived name puts "_1" before the first "." after the last backslash, not in "sub.d".
fresh_case
run 'sub.d\app.s19' -crc=FFFE=0-FFFD
expect "derived name after a backslash: status" 0 "$status"
expect "derived name after a backslash: messages" "$banner"$'\n'"$completed" "$messages"
expect "derived name after a backslash: files" $'app.s19\napp_1.s19' "$(ls "$work/case/sub.d")"
expect "derived name after a backslash: header" S00E00006170705F31202020733139E3 \
  "$(head -n 1 "$work/case/sub.d/app_1.s19")"

# A drive-letter path: the header takes the name after the last backslash.
fresh_case
run 'sub.d\app.s19' -crc=FFFE=0-FFFD "-output=Z:${work//\//\\}\\case\\sub.d\\x.s19"
expect "drive-letter output: status" 0 "$status"
expect "drive-letter output: header" S00E00007820202020202020733139BC \
  "$(head -n 1 "$work/case/sub.d/x.s19")"

# Other letter case names the same file: refused, the input left as it was.
fresh_case
run 'SUB.D\APP.S19' -crc=FFFE=0-FFFD '-output=sub.d\app.s19'
expect "input in other letter case: status" 1 "$status"
expect "input in other letter case: messages" "$banner"$'\n''** L2011 (E) Invalid parameter specified in option "output" : "sub.d\app.s19"'$'\n\n''Sumwright Abort' \
  "$messages"
expect "input in other letter case: input unchanged" "" \
  "$(cmp "$samples/app.s19" "$work/case/sub.d/app.s19" 2>&1)"
expect "input in other letter case: no other file" "app.s19" "$(ls "$work/case/sub.d")"

finish "Windows file-name checks"
