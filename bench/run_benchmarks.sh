#!/usr/bin/env bash
# Times sumwright side by side with srec_cat and cp on a 16 MiB image (Intel HEX, about 46 MB, and
# S3 records), and sumwright with a 4 GiB range over a tiny image. Prints medians, peak memory and
# the ratios against the targets. Needs hyperfine, srec_cat and /usr/bin/time.
#
#   bench/run_benchmarks.sh            build the release preset, generate the inputs, measure
#   RUNS=9 BUILD_DIR=build/x WORK=/tmp/bench bench/run_benchmarks.sh
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-7}
BUILD_DIR=${BUILD_DIR:-build/release}
WORK=${WORK:-build/bench-data}

cmake --preset release -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target sumwright -j 2
SUMWRIGHT="$PWD/$BUILD_DIR/sumwright"
[[ $BUILD_DIR == /* ]] && SUMWRIGHT="$BUILD_DIR/sumwright"

mkdir -p "$WORK"
if [[ ! -f $WORK/image.hex || ! -f $WORK/image.s3 || ! -f $WORK/tiny.hex ]]; then
  echo "Generating the inputs in $WORK"
  /usr/bin/python3 bench/generate_image.py "$WORK"
fi
cd "$WORK"

# The same job for every tool: CRC-16/GENIBUS over 0..FFFFFD, 0xFF where no record holds an
# address, big-endian at FFFFFE, written back into the image. srec_cat has no final complement,
# so the two CRC bytes are complemented in a second reading of the input. Its single reading
# without the complement is timed too, and the ratio is taken against the faster of the two.
SW_HEX="$SUMWRIGHT image.hex -crc=FFFFFE=0-FFFFFD -output=sw.hex"
SW_S3="$SUMWRIGHT image.s3 -crc=FFFFFE=0-FFFFFD -output=sw.s3"
SREC_CRC="image.hex -intel -exclude 0xFFFFFE 0x1000000 -fill 0xFF 0 0xFFFFFE \
-crc16-b-e 0xFFFFFE -broken"
SREC_HEX="srec_cat ( $SREC_CRC -crop 0 0xFFFFFE ) ( $SREC_CRC -crop 0xFFFFFE 0x1000000 \
-xor 0xFF ) -o srec.hex -intel -output_block_size=16"
SREC_ONCE="srec_cat $SREC_CRC -o srec1.hex -intel -output_block_size=16"
CP_HEX="cp image.hex cp.hex"
SW_WIDE="$SUMWRIGHT tiny.hex -crc=FFFFFFFE=0-FFFFFFFD -output=wide.hex"

# Both tools must agree before their times mean anything.
$SW_HEX 2>/dev/null
$SREC_HEX 2>/dev/null
/usr/bin/python3 - <<'EOF'
import intelhex, sys
ours, theirs = intelhex.IntelHex("sw.hex"), intelhex.IntelHex("srec.hex")
if ours.todict() != theirs.todict():
    sys.exit("sumwright and srec_cat disagree on the 16 MiB image")
print("sumwright and srec_cat write the same image (CRC %02X%02X)" % (
    ours[0xFFFFFE], ours[0xFFFFFF]))
EOF

# Every output is removed before each timed run, so that each tool creates a new file. Replacing
# an existing 46 MB file costs extra time in the file system (freeing its blocks, and on ext4 the
# flush that a rename or a truncation over an existing file starts), differently for a rename
# (sumwright) and an in-place truncation (cp); the second pass measures that case on its own.
OUTPUTS="sw.hex sw.s3 srec.hex srec1.hex cp.hex wide.hex"
hyperfine --style basic --shell=none --warmup 1 --runs "$RUNS" --export-json times.json \
  --prepare "rm -f $OUTPUTS" \
  -n "sumwright 46 MB Intel HEX" "$SW_HEX" \
  -n "sumwright 49 MB S3" "$SW_S3" \
  -n "srec_cat 46 MB Intel HEX" "$SREC_HEX" \
  -n "srec_cat 46 MB, one reading" "$SREC_ONCE" \
  -n "cp 46 MB" "$CP_HEX" \
  -n "sumwright 4 GiB range, tiny image" "$SW_WIDE" >/dev/null
hyperfine --style basic --shell=none --warmup 1 --runs "$RUNS" --export-json replace.json \
  -n "sumwright 46 MB Intel HEX" "$SW_HEX" \
  -n "cp 46 MB" "$CP_HEX" >/dev/null

# Peak resident memory (kB), the median of three runs of each command.
peak() {
  for _ in 1 2 3; do
    /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1
  done | sort -n | sed -n 2p
}
{
  echo "sumwright 46 MB Intel HEX $(peak $SW_HEX)"
  echo "sumwright 49 MB S3 $(peak $SW_S3)"
  echo "srec_cat 46 MB Intel HEX $(peak $SREC_HEX)"
  echo "srec_cat 46 MB, one reading $(peak $SREC_ONCE)"
  echo "cp 46 MB $(peak $CP_HEX)"
  echo "sumwright 4 GiB range, tiny image $(peak $SW_WIDE)"
} >memory.txt

echo
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
/usr/bin/python3 - "$(stat -c %s image.hex)" "$(stat -c %s image.s3)" <<'EOF'
import json, statistics, sys
hex_size, s3_size = int(sys.argv[1]), int(sys.argv[2])
results = json.load(open("times.json"))["results"]
median = {r["command"]: statistics.median(r["times"]) for r in results}
memory = {}
for line in open("memory.txt"):
    name, value = line.rsplit(" ", 1)
    memory[name] = int(value) * 1024
print("\n%-36s %12s %14s" % ("command", "median", "peak memory"))
for name in median:
    print("%-36s %9.1f ms %11.1f MB" % (name, median[name] * 1000, memory[name] / 1e6))
sw, cp = median["sumwright 46 MB Intel HEX"], median["cp 46 MB"]
srec = min(median["srec_cat 46 MB Intel HEX"], median["srec_cat 46 MB, one reading"])
wide = median["sumwright 4 GiB range, tiny image"]
checks = [
    ("srec_cat / sumwright (target >= 20)", srec / sw, srec / sw >= 20),
    ("sumwright / cp (target <= 3)", sw / cp, sw / cp <= 3),
    ("peak memory / input size, Intel HEX (target <= 2)",
     memory["sumwright 46 MB Intel HEX"] / hex_size,
     memory["sumwright 46 MB Intel HEX"] / hex_size <= 2),
    ("peak memory / input size, S3 (target <= 2)", memory["sumwright 49 MB S3"] / s3_size,
     memory["sumwright 49 MB S3"] / s3_size <= 2),
    ("4 GiB range, ms (target < 50)", wide * 1000, wide < 0.050),
    ("4 GiB range, peak MB (target < 20)", memory["sumwright 4 GiB range, tiny image"] / 1e6,
     memory["sumwright 4 GiB range, tiny image"] < 20e6),
]
replace = {r["command"]: statistics.median(r["times"])
           for r in json.load(open("replace.json"))["results"]}
print("\nReplacing existing outputs: sumwright %.1f ms, cp %.1f ms, ratio %.2f" % (
    replace["sumwright 46 MB Intel HEX"] * 1000, replace["cp 46 MB"] * 1000,
    replace["sumwright 46 MB Intel HEX"] / replace["cp 46 MB"]))
print()
for label, value, met in checks:
    print("%-52s %8.2f  %s" % (label, value, "met" if met else "MISSED"))
sys.exit(0 if all(met for _, _, met in checks) else 1)
EOF
