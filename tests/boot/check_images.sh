#!/usr/bin/env bash
# Checks boot/sumwright_crc.h against sumwright's own output: for each case, sumwright writes a
# CRC into an image with gaps, srec_cat turns the output into a flat image with 0xFF for every
# address no record holds, and image_check computes the CRC over it with the header's functions
# and compares it with the two stored bytes.
#
#   check_images.sh <sumwright> <image_check> <work directory>
set -euo pipefail
sumwright=$(realpath "$1") image_check=$(realpath "$2") work=$3
here=$(cd "$(dirname "$0")" && pwd)

# The image lies at 08000000-080003FF: data at 000-03F, 100-11F, 200-20F and 300-37F, erased
# flash elsewhere. The ranges include erased stretches and leave out data between them; the code
# fields sit at odd and even addresses: in a gap, inside a record, and split over two records.
# Ranges are listed in ascending order, as a boot check walks them; sumwright gets them in reverse.
cases=(
  # input               algorithm byte order code     ranges
  "flash_with_gaps.hex  CCITT     big        80003FE  8000000-80001FF 8000300-80003FD"
  "flash_with_gaps.hex  CCITT     little     8000211  8000000-80001FF 8000213-80003FF"
  "flash_with_gaps.hex  16        big        80000F1  8000000-80000F0 80000F3-80003FF"
  "flash_with_gaps.hex  16        little     800001F  8000000-800001E 8000021-80001FF 8000300-800037F"
  "flash_with_gaps.s37  CCITT     little     80003FE  8000000-80001FF 8000300-80003FD"
  "flash_with_gaps.s37  CCITT     big        8000211  8000000-80001FF 8000213-80003FF"
  "flash_with_gaps.s37  16        little     80000F1  8000000-80000F0 80000F3-80003FF"
  "flash_with_gaps.s37  16        big        800001F  8000000-800001E 8000021-80001FF 8000300-800037F"
)

rm -rf "$work"
mkdir -p "$work"
cd "$work"
failed=0
for line in "${cases[@]}"; do
  read -r input algorithm order code ranges <<<"$line"
  read -r -a ascending <<<"$ranges"
  reversed=$(printf '%s\n' "${ascending[@]}" | tac | paste -sd,)
  extension=${input##*.}
  format=$([[ $extension == hex ]] && echo intel || echo motorola)
  cp "$here/$input" "in.$extension"
  rm -f "out.$extension" image.bin
  if ! "$sumwright" "in.$extension" "-crc=$code=$reversed/$algorithm" "-endian=$order" \
       "-output=out.$extension" 2>messages.txt; then
    echo "FAIL $line: sumwright failed"; cat messages.txt; failed=1; continue
  fi
  srec_cat "out.$extension" "-$format" -fill 0xFF 0x08000000 0x08000400 -offset -0x08000000 \
    -o image.bin -binary
  if ! "$image_check" image.bin 8000000 "$algorithm" "$order" "$code" "${ascending[@]}"; then
    echo "FAIL $line"; failed=1
  fi
done
exit $failed
