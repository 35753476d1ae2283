#!/usr/bin/env bash
# Times sumwright side by side, in one run, with `cat in > out`, `cp`, a copy through user space
# (`dd bs=128K`: read and write, the floor for a tool that must look at every byte) and srec_cat
# doing the same job, on a 16 MiB image written as Intel HEX (about 46 MB) and as S3 records
# (about 49 MB), and on an Intel HEX image four times as large; then records out of address order:
# the Intel HEX image with its pages descending and the S3 image with its records shuffled,
# beside the S3 image ascending. Prints medians, peak memory and the ratios against the targets;
# exits 1 when a target is missed. Needs hyperfine, srec_cat, python3-intelhex and
# /usr/bin/time.
#
#   bench/run_benchmarks.sh            build the release preset, generate the inputs, measure
#   RUNS=15 BUILD_DIR=build/x WORK=/tmp/bench bench/run_benchmarks.sh
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-11}
BUILD_DIR=${BUILD_DIR:-build/release}
WORK=${WORK:-build/bench-data}

cmake --preset release -B "$BUILD_DIR" -DSUMWRIGHT_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target sumwright -j 2
SUMWRIGHT="$PWD/$BUILD_DIR/sumwright"
[[ $BUILD_DIR == /* ]] && SUMWRIGHT="$BUILD_DIR/sumwright"

mkdir -p "$WORK"
if [[ ! -f $WORK/large.hex || ! -f $WORK/descending.hex || ! -f $WORK/shuffled.s3 ]]; then
  echo "Generating the inputs in $WORK"
  /usr/bin/python3 bench/generate_image.py "$WORK"
fi
cd "$WORK"

# The same job for every tool: CRC-16/GENIBUS over 0..FFFFFD, 0xFF where no record holds an
# address, big-endian at FFFFFE, written back into the image. srec_cat has no final complement,
# so the two CRC bytes are complemented in a second reading of the input.
JOB="-crc=FFFFFE=0-FFFFFD"
srec_job() {  # input, its srec_cat format, output
  local crc="$1 $2 -exclude 0xFFFFFE 0x1000000 -fill 0xFF 0 0xFFFFFE -crc16-b-e 0xFFFFFE -broken"
  echo "srec_cat ( $crc -crop 0 0xFFFFFE ) ( $crc -crop 0xFFFFFE 0x1000000 -xor 0xFF )" \
       "-o $3 $2 -output_block_size=16"
}

# Both tools must agree before their times mean anything.
$SUMWRIGHT image.hex $JOB -output=sw.hex 2>/dev/null
$(srec_job image.hex -intel srec.hex) 2>/dev/null
/usr/bin/python3 - <<'PYTHON'
import intelhex, sys
ours, theirs = intelhex.IntelHex("sw.hex"), intelhex.IntelHex("srec.hex")
if ours.todict() != theirs.todict():
    sys.exit("sumwright and srec_cat disagree on the 16 MiB image")
print("sumwright and srec_cat write the same image (CRC %02X%02X)" % (
    ours[0xFFFFFE], ours[0xFFFFFF]))
PYTHON

# First every output is removed before each run, so that each command creates a new file; then
# the outputs are left in place and each command replaces its own. Replacing costs the file
# system extra work (freeing the old blocks, and on ext4 the flush that a rename or a
# truncation over an existing file starts), so both are measured.
# GNU cat 9 copies between two files inside the kernel (copy_file_range), as cp does; dd
# copies through user space.
OUTPUTS="sw.hex sw.s3 sw-large.hex cat.hex cat.s3 cat-large.hex cp.hex cp.s3 dd.hex dd.s3"
OUTPUTS="$OUTPUTS dd-large.hex wide.hex"
timed() {  # export file, then hyperfine options
  local export=$1
  shift
  hyperfine --style basic --shell=none --warmup 2 --runs "$RUNS" --export-json "$export" "$@" \
    -n "sumwright Intel HEX" "$SUMWRIGHT image.hex $JOB -output=sw.hex" \
    -n "cat Intel HEX" "sh -c 'cat image.hex > cat.hex'" \
    -n "cp Intel HEX" "cp image.hex cp.hex" \
    -n "dd Intel HEX" "dd if=image.hex of=dd.hex bs=128K status=none" \
    -n "sumwright S3" "$SUMWRIGHT image.s3 $JOB -output=sw.s3" \
    -n "cat S3" "sh -c 'cat image.s3 > cat.s3'" \
    -n "cp S3" "cp image.s3 cp.s3" \
    -n "dd S3" "dd if=image.s3 of=dd.s3 bs=128K status=none" \
    -n "sumwright Intel HEX x4" "$SUMWRIGHT large.hex $JOB -output=sw-large.hex" \
    -n "cat Intel HEX x4" "sh -c 'cat large.hex > cat-large.hex'" \
    -n "dd Intel HEX x4" "dd if=large.hex of=dd-large.hex bs=128K status=none" \
    -n "sumwright 4 GiB range, tiny image" \
       "$SUMWRIGHT tiny.hex -crc=FFFFFFFE=0-FFFFFFFD -output=wide.hex" >/dev/null
}
# Before each run the file system writes out what earlier runs left in memory, so that no run
# pays for flushing another's output.
timed created.json --prepare "sh -c 'rm -f $OUTPUTS; sync'"
timed replaced.json --prepare sync
hyperfine --style basic --shell=none --warmup 1 --runs 3 --export-json srec.json \
  -n "srec_cat Intel HEX" "$(srec_job image.hex -intel srec.hex)" \
  -n "srec_cat S3" "$(srec_job image.s3 -motorola srec.s3)" >/dev/null

# Peak resident memory (kB), the median of three runs of each command.
peak() {
  for _ in 1 2 3; do
    /usr/bin/time -f "%M" "$@" 2>&1 >/dev/null | tail -1
  done | sort -n | sed -n 2p
}
peak_pipe() {  # the Intel HEX image through a pipe
  for _ in 1 2 3; do
    cat image.hex | /usr/bin/time -f "%M" "$SUMWRIGHT" /dev/stdin $JOB -output=pipe.hex 2>&1 \
      >/dev/null | tail -1
  done | sort -n | sed -n 2p
}
{
  echo "sumwright Intel HEX $(peak $SUMWRIGHT image.hex $JOB -output=sw.hex)"
  echo "sumwright S3 $(peak $SUMWRIGHT image.s3 $JOB -output=sw.s3)"
  echo "sumwright Intel HEX x4 $(peak $SUMWRIGHT large.hex $JOB -output=sw-large.hex)"
  echo "sumwright Intel HEX through a pipe $(peak_pipe)"
  echo "sumwright Intel HEX, pages descending $(peak $SUMWRIGHT descending.hex $JOB -output=desc.hex)"
  echo "sumwright S3, records shuffled $(peak $SUMWRIGHT shuffled.s3 $JOB -output=shuf.s3)"
  echo "sumwright 4 GiB range, tiny image $(peak $SUMWRIGHT tiny.hex -crc=FFFFFFFE=0-FFFFFFFD -output=wide.hex)"
  echo "srec_cat Intel HEX $(peak $(srec_job image.hex -intel srec.hex))"
  echo "cat Intel HEX $(peak sh -c 'cat image.hex > cat.hex')"
} >memory.txt
# Records out of address order are read again: timed beside the same image ascending.
hyperfine --style basic --shell=none --warmup 1 --runs 5 --export-json descending.json \
  --prepare "sh -c 'rm -f desc.hex shuf.s3 asc.s3; sync'" \
  -n "sumwright S3, ascending" "$SUMWRIGHT image.s3 $JOB -output=asc.s3" \
  -n "sumwright Intel HEX, pages descending" "$SUMWRIGHT descending.hex $JOB -output=desc.hex" \
  -n "sumwright S3, records shuffled" "$SUMWRIGHT shuffled.s3 $JOB -output=shuf.s3" \
  >/dev/null

echo
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
/usr/bin/python3 - "$(stat -c %s image.hex)" "$(stat -c %s image.s3)" "$(stat -c %s large.hex)" <<'PYTHON'
import json, statistics, sys
sizes = {"Intel HEX": int(sys.argv[1]), "S3": int(sys.argv[2]), "Intel HEX x4": int(sys.argv[3])}
def medians(name):
    return {r["command"]: statistics.median(r["times"]) for r in json.load(open(name))["results"]}
created, replaced = medians("created.json"), medians("replaced.json")
srec, descending = medians("srec.json"), medians("descending.json")
memory = {}
for line in open("memory.txt"):
    name, value = line.rsplit(" ", 1)
    memory[name] = int(value) * 1024

print("\n%-40s %12s %12s" % ("median time", "created", "replaced"))
for name in created:
    print("%-40s %9.1f ms %9.1f ms" % (name, created[name] * 1000, replaced[name] * 1000))
for name, value in list(srec.items()) + list(descending.items()):
    print("%-40s %9.1f ms" % (name, value * 1000))
print("\n%-40s %12s" % ("peak memory", ""))
for name, value in memory.items():
    print("%-40s %9.1f MiB" % (name, value / 2**20))

checks = []
print("\n%-24s %9s %9s %9s %9s %9s %9s" % ("ratio sumwright / ...", "cat", "cp", "dd",
                                           "cat", "cp", "dd"))
print("%-24s %9s %9s %9s %9s %9s %9s" % ("", "created", "created", "created", "replaced",
                                       "replaced", "replaced"))
for form in ("Intel HEX", "S3", "Intel HEX x4"):
    sw = "sumwright " + form
    cells = []
    for times in (created, replaced):
        for tool in ("cat", "cp", "dd"):
            other = tool + " " + form
            cells.append("%9.2f" % (times[sw] / times[other]) if other in times else "%9s" % "-")
    print("%-24s %s" % (form, " ".join(cells)))
for form in ("Intel HEX", "S3"):
    sw = "sumwright " + form
    made, replacing = created[sw] / created["cat " + form], replaced[sw] / replaced["cat " + form]
    checks.append(("time / cat, %s, created (target <= 2)" % form, made, made <= 2))
    checks.append(("time / cat, %s, replaced (target <= 2)" % form, replacing, replacing <= 2))
    ratio = srec["srec_cat " + form] / created[sw]
    checks.append(("srec_cat / sumwright, %s (target >= 40)" % form, ratio, ratio >= 40))
    peak = memory[sw] / 2**20
    checks.append(("peak MiB, %s (target <= 16)" % form, peak, peak <= 16))
# The time of the large image is shown against cat, without a target of its own.
large = created["sumwright Intel HEX x4"] / created["cat Intel HEX x4"]
print("\ntime / cat, Intel HEX x4, created (shown only): %.2f" % large)
growth = (memory["sumwright Intel HEX x4"] - memory["sumwright Intel HEX"]) / 2**20
checks.append(("peak MiB growth for a 4x input (target <= 1)", growth, growth <= 1))
pipe = memory["sumwright Intel HEX through a pipe"] / 2**20
checks.append(("peak MiB through a pipe (target <= 16)", pipe, pipe <= 16))
shuffled = memory["sumwright S3, records shuffled"] / 2**20
checks.append(("peak MiB, S3 records shuffled (target <= 32)", shuffled, shuffled <= 32))
slower = descending["sumwright S3, records shuffled"] / descending["sumwright S3, ascending"]
checks.append(("time shuffled / ascending, S3 (target <= 10)", slower, slower <= 10))
wide = created["sumwright 4 GiB range, tiny image"]
checks.append(("4 GiB range over a tiny image, ms (target < 50)", wide * 1000, wide < 0.050))
print()
for label, value, met in checks:
    print("%-52s %8.2f  %s" % (label, value, "met" if met else "MISSED"))
sys.exit(0 if all(met for _, _, met in checks) else 1)
PYTHON
