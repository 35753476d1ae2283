#!/bin/bash
# Runs the Linux and the Windows program (under Wine) on the same inputs and options and checks
# that they write byte-identical output files, the same messages and the same exit status:
#   cmake/compare-windows-output.sh <linux program> <windows program .exe> <work directory>
# Inputs cover both file forms, LF and CR LF line ends, both algorithms and byte orders, a code
# field patched, split and inserted (with an added extended address record), a subcommand file
# with CR LF lines and two failing runs.
set -euo pipefail
linux_exe=$(realpath "$1")
windows_exe=$(realpath "$2")
mkdir -p "$3"
work=$(realpath "$3")
launcher=$(realpath "$(dirname "$0")/run-under-wine.sh")
samples=$(realpath "$(dirname "$0")/../samples")

rm -rf "$work"
mkdir -p "$work/inputs"
cd "$work/inputs"
cp "$samples/app.hex" "$samples/app.s19" .
sed 's/$/\r/' app.hex >crlf.hex
sed 's/$/\r/' app.s19 >crlf.s19
printf ':020000040001F9\n:10000000000102030405060708090A0B0C0D0E0F78\n:00000001FF\n' >linear.hex
printf -- '-crc=3D=0-3C,3F-3F/16\r\n-endian=little\r\n' >options.txt

# Each case: a name, then the arguments.
cases=(
  "hex-insert|app.hex -crc=FFFE=0-FFFD -output=out.hex"
  "hex-crlf-patch|crlf.hex -crc=3E=0-3D/16 -endian=little -output=out.hex"
  "hex-split|crlf.hex -crc=F=0-E,11-3F -output=out.hex"
  "hex-segment|app.hex -crc=12345=0-3F,12347-1FFFF/16 -output=out.hex"
  "hex-linear|linear.hex -crc=28000=10000-27FFF -endian=big -output=out.hex"
  "srec-insert|app.s19 -crc=FFFE=0-FFFD/16 -output=out.s19"
  "srec-crlf-split|crlf.s19 -crc=F=0-E,11-3F -endian=little -output=out.s19"
  "srec-boundary|app.s19 -crc=FFFF=0-FFFE -output=out.s19"
  "subcommand|crlf.hex -subcommand=options.txt -output=out.hex"
  "derived-name|app.s19 -crc=3E=0-3D"
  "missing-input|none.hex -crc=FFFE=0-FFFD"
  "missing-directory|app.hex -crc=FFFE=0-FFFD -output=nodir/out.hex"
)

failures=0
for entry in "${cases[@]}"; do
  name=${entry%%|*}
  read -r -a arguments <<<"${entry#*|}"
  for side in linux windows; do
    mkdir -p "$work/$name/$side"
    cp -p "$work/inputs/"* "$work/$name/$side/"
    (
      cd "$work/$name/$side"
      if [[ $side == linux ]]; then
        set +e; "$linux_exe" "${arguments[@]}" >../$side.out 2>../$side.err; echo $? >../$side.status
      else
        set +e; "$launcher" "$windows_exe" "${arguments[@]}" >../$side.out 2>../$side.err
        echo $? >../$side.status
      fi
    )
  done
  if diff -r "$work/$name/linux" "$work/$name/windows" >/dev/null &&
     cmp -s "$work/$name/linux.err" "$work/$name/windows.err" &&
     cmp -s "$work/$name/linux.out" "$work/$name/windows.out" &&
     cmp -s "$work/$name/linux.status" "$work/$name/windows.status"; then
    echo "same on Linux and Windows: $name (status $(cat "$work/$name/linux.status"))"
  else
    echo "DIFFERENT on Linux and Windows: $name"
    diff -r "$work/$name/linux" "$work/$name/windows" || true
    diff "$work/$name/linux.err" "$work/$name/windows.err" || true
    diff "$work/$name/linux.status" "$work/$name/windows.status" || true
    failures=$((failures + 1))
  fi
done
if ((failures > 0)); then
  echo "$failures of ${#cases[@]} cases differ"
  exit 1
fi
echo "all ${#cases[@]} cases give the same bytes on Linux and Windows"
