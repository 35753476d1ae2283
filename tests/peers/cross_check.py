#!/usr/bin/python3
"""Cross-checks sumwright against tools we did not write.

Random program images (Intel HEX and S-records) are generated from a fixed seed. For each one
sumwright is run, and its output is checked against:
  (a) the CRC that srec_cat computes over the same ranges, 0xFF-filled;
  (b) the CRC that crcmod computes over the image that intelhex (or the small S-record reader
      below) reads from the input;
  (c) the image read back from the output, which must equal the input image everywhere but the
      two code bytes, with every record checksum and count valid.

Usage: cross_check.py --sumwright PATH [--cases N] [--seed S] [--only I] [--keep DIR]
Every failure names the seed and the case number; --only reruns that one case.
SUMWRIGHT_EXE in the environment chooses another program to run, and SUMWRIGHT_LAUNCHER (for
example "wine") runs it through a launcher.
"""

import argparse
import concurrent.futures
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import traceback

try:
    import crcmod
    import intelhex
except ImportError as error:  # Without the peers the check cannot run, and that is a failure.
    print("cross_check: missing peer module (%s): install python3-intelhex and python3-crcmod, "
          "for example with tools/install_deps.sh" % error)
    sys.exit(1)

# CRC-16/GENIBUS: register 0xFFFF, final XOR 0xFFFF. crcmod's initCrc is the initial register
# XORed with xorOut, hence 0. CRC-16/ARC: reflected 0x8005, register 0, no final XOR.
CRC_GENIBUS = crcmod.mkCrcFun(0x11021, initCrc=0xFFFF ^ 0xFFFF, rev=False, xorOut=0xFFFF)
CRC_ARC = crcmod.mkCrcFun(0x18005, initCrc=0x0000, rev=True, xorOut=0x0000)

# Published check values over the ASCII digits 1 to 9.
CHECK_GENIBUS = 0xD64E
CHECK_ARC = 0xBB3D

SREC_CAT_ALGORITHM = {
    # srec_cat has no final complement: its "broken" CCITT result is complemented afterwards.
    "CCITT": (["-broken"], ["-xor", "0xFF"]),
    "16": (["-xmodem", "-polynomial", "ibm", "-least-to-most"], []),
}


# srec_cat never finishes a fill that reaches into the last 256 addresses of the 32-bit space,
# so the generated ranges and code fields stay below this address.
SREC_CAT_TOP = 0xFFFFFEFF


class CaseFailure(Exception):
    pass


# ---------------------------------------------------------------------------------------------
# Oracles


def srec_cat_crc(input_path, input_format, ranges, code, algorithm):
    """CRC of the ranges (0xFF fill, ascending order), computed by srec_cat in one call."""
    bounds = []
    for start, end in sorted(ranges):
        bounds += ["0x%X" % start, "0x%X" % (end + 1)]
    before, after = SREC_CAT_ALGORITHM[algorithm]
    # The CRC is written at the code address, which no range holds, then cut out and moved to 0.
    command = (["srec_cat", input_path, "-" + input_format, "-crop"] + bounds + ["-fill", "0xFF"]
               + bounds + ["-crc16-b-e", "0x%X" % code] + before
               + ["-crop", "0x%X" % code, "0x%X" % (code + 2)] + after
               + ["-offset", "-0x%X" % code, "-o", "-", "-binary"])
    try:
        result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                timeout=120)
    except subprocess.TimeoutExpired:
        raise CaseFailure("srec_cat did not finish: " + " ".join(command))
    if result.returncode != 0 or len(result.stdout) != 2:
        raise CaseFailure("srec_cat failed (%d): %s\n%s" % (
            result.returncode, " ".join(command), result.stderr.decode(errors="replace")))
    return (result.stdout[0] << 8) | result.stdout[1]


def crcmod_crc(image, ranges, algorithm):
    """CRC of the ranges over a sparse image {address: byte}, 0xFF where it holds nothing."""
    function = CRC_GENIBUS if algorithm == "CCITT" else CRC_ARC
    segments = sorted_segments(image)
    crc_bytes = bytearray()
    for start, end in sorted(ranges):
        piece = bytearray(b"\xff" * (end - start + 1))
        for seg_start, seg_data in segments:
            seg_end = seg_start + len(seg_data) - 1
            low, high = max(start, seg_start), min(end, seg_end)
            if low <= high:
                piece[low - start:high - start + 1] = seg_data[low - seg_start:high - seg_start + 1]
        crc_bytes += piece
    return function(bytes(crc_bytes))


def sorted_segments(image):
    segments = []
    for address in sorted(image):
        if segments and segments[-1][0] + len(segments[-1][1]) == address:
            segments[-1][1].append(image[address])
        else:
            segments.append([address, bytearray([image[address]])])
    return segments


def confirm_check_values(work_dir):
    """Both oracles must give the published check values before anything else is trusted."""
    path = os.path.join(work_dir, "check.bin")
    with open(path, "wb") as stream:
        stream.write(b"123456789")
    image = {i: b"123456789"[i] for i in range(9)}
    failures = []
    for algorithm, expected in (("CCITT", CHECK_GENIBUS), ("16", CHECK_ARC)):
        by_srec_cat = srec_cat_crc(path, "binary", [(0, 8)], 9, algorithm)
        by_crcmod = crcmod_crc(image, [(0, 8)], algorithm)
        for name, value in (("srec_cat", by_srec_cat), ("crcmod", by_crcmod)):
            if value != expected:
                failures.append("%s gives 0x%04X for %s, published check value 0x%04X" % (
                    name, value, algorithm, expected))
    return failures


# ---------------------------------------------------------------------------------------------
# Reading files back


def read_intel_hex(path):
    """Image of an Intel HEX file by intelhex, which checks every checksum, count and overlap."""
    try:
        image = intelhex.IntelHex(path).todict()
    except Exception as error:  # intelhex raises its own error classes.
        raise CaseFailure("intelhex cannot read %s: %s" % (os.path.basename(path), error))
    image.pop("start_addr", None)  # Start address records (03, 05) carry no data.
    return image


def read_s_records(path):
    """Image of an S-record file; checks start, type, count, checksum and overlaps of each line."""
    image = {}
    widths = {"0": 2, "1": 2, "2": 3, "3": 4, "5": 2, "7": 4, "8": 3, "9": 2}
    with open(path, "rb") as stream:
        lines = stream.read().decode("ascii").splitlines()
    for number, line in enumerate(lines, 1):
        where = "%s line %d (%s)" % (os.path.basename(path), number, line)
        if len(line) < 4 or line[0] != "S" or line[1] not in widths:
            raise CaseFailure("bad S-record at " + where)
        try:
            raw = bytes.fromhex(line[2:])
        except ValueError:
            raise CaseFailure("non-hex digits at " + where)
        if raw[0] != len(raw) - 1:
            raise CaseFailure("wrong count at " + where)
        if (sum(raw[:-1]) + raw[-1]) & 0xFF != 0xFF:
            raise CaseFailure("wrong checksum at " + where)
        width = widths[line[1]]
        if line[1] in "123":
            address = int.from_bytes(raw[1:1 + width], "big")
            for offset, value in enumerate(raw[1 + width:-1]):
                if address + offset in image:
                    raise CaseFailure("address 0x%X written twice, at %s" % (
                        address + offset, where))
                image[address + offset] = value
    return image


# ---------------------------------------------------------------------------------------------
# Generating cases

MODES = ["ihex-plain", "ihex-segment", "ihex-linear", "srec-S1", "srec-S2", "srec-S3"]
# Extended segment addresses that are not multiples of 0x1000: the base in effect is then not the
# start of a 64 KiB page, and a record added for the code field must still land at its address.
ODD_SEGMENT_MODES = ["ihex-segment-odd"]
SCENARIOS = ["within", "split", "gap", "above", "below", "boundary"]
OUTPUT_NAMES = ["out.mot", "image.s19", "firmware_rev2.srec", "x", "abcdefghij.hexa", "a.b.c",
                "build/boot.s28"]


def address_limit(mode):
    return {"ihex-plain": 0xFFFF, "ihex-segment": 0xFFFFF, "ihex-segment-odd": 0xFFFFF,
            "srec-S1": 0xFFFF,
            "srec-S2": 0xFFFFFF}.get(mode, 0xFFFFFFFF)


def choose_code_address(rng, mode, scenario):
    limit = address_limit(mode)
    if scenario == "boundary":
        if mode in ("ihex-plain", "srec-S1"):
            return 0xFFFF
        if mode == "srec-S2" or (mode == "srec-S3" and rng.random() < 0.3):
            return rng.choice([0xFFFF, 0xFFFFFF])
        if mode.startswith("ihex-segment"):
            return rng.randrange(1, 16) * 0x10000 - 1
        return rng.randrange(1, 0x10000) * 0x10000 - 1
    if scenario == "above" and mode in ("ihex-plain", "srec-S1", "srec-S2") and rng.random() < 0.4:
        # No record holds the field and it lies beyond 64 KiB: the writer must add address records.
        return rng.choice([rng.randrange(limit + 1, limit + 0x100000),
                           rng.randrange(0x100000, SREC_CAT_TOP - 2)])
    low = 0x200 if scenario in ("above", "gap") else 0
    high = limit - 0x200 if scenario in ("below", "gap") else min(limit - 1, SREC_CAT_TOP - 2)
    if mode == "srec-S3" or mode == "ihex-linear":
        # Keep most images in a few pages, but anywhere in the 32-bit space.
        return rng.choice([rng.randrange(0x200, 0x20000), rng.randrange(low, high)])
    return rng.randrange(max(low, 0x40), high)


def blocks_overlap(blocks, start, end, margin=1):
    return any(start <= b_end + margin and b_start <= end + margin for b_start, b_end in blocks)


def make_blocks(rng, mode, scenario, code):
    """Contiguous data areas (inclusive start, end) placed as the scenario asks."""
    limit = address_limit(mode)
    blocks = []
    code_end = code + 1
    intel = mode.startswith("ihex")
    if scenario in ("within", "split") or (scenario == "boundary" and rng.random() < 0.5
                                           and code_end <= limit):
        # A block holding both code bytes; the record split decides Within or split.
        start = max(0, code - rng.choice([0, 1, 3, 15, rng.randrange(0, 200)]))
        end = min(limit, code_end + rng.choice([0, 1, 2, 15, rng.randrange(0, 200)]))
        blocks.append((start, end))
    wanted = rng.randrange(1, 5)
    tries = 0
    while len(blocks) < wanted + (1 if blocks else 0) and tries < 200:
        tries += 1
        size = rng.choice([1, 2, 16, 17, rng.randrange(1, 300), rng.randrange(1, 300),
                           rng.randrange(300, 3000)])
        spread = rng.choice([0x100, 0x1000, 0x20000])
        if mode in ("srec-S2", "srec-S3") and rng.random() < 0.05:
            # Text of several megabytes: many chunks of sumwright's scan, read while the CRC
            # and the output of the chunks before are still under way.
            size = rng.randrange(0x40000, 0x100000)
            spread = 0x200000
        start = code + rng.randrange(-spread, spread)
        if scenario == "above":
            start = min(code - 2, limit) - rng.randrange(0, spread) - size + 1
        elif scenario == "below":
            start = code_end + rng.randrange(1, spread)
        elif scenario == "gap" and not any(b[0] > code_end for b in blocks):
            start = code_end + rng.randrange(1, spread)
        elif scenario == "gap" and not any(b[1] < code for b in blocks):
            start = code - rng.randrange(1, spread) - size
        end = start + size - 1
        if start < 0 or end > limit:
            continue
        if intel and (start >> 16) != (end >> 16) and mode != "ihex-plain":
            end = (start | 0xFFFF)  # Intel HEX data records stay inside one 64 KiB page.
        if start <= code_end and code <= end:
            continue  # Only the within/split block may hold a code byte.
        if blocks_overlap(blocks, start, end):
            continue
        blocks.append((start, end))
    return sorted(blocks)


def record_lengths(rng):
    policy = rng.choice(["16", "32", "random", "mixed"])
    def next_length():
        if policy == "16":
            return 16
        if policy == "32":
            return 32
        if policy == "random":
            return rng.randrange(1, 40)
        return rng.choice([1, 2, 3, 8, 16, 16, 16, 32, 64])
    return next_length


def split_records(rng, blocks, code, scenario, page_split):
    """Cuts the blocks into (start, end) records; the code field is split or held whole."""
    next_length = record_lengths(rng)
    records = []
    split_field = scenario == "split" or (scenario == "boundary" and rng.random() < 0.5)
    if page_split and ((code + 1) & 0xFFFF) == 0:
        split_field = True  # An Intel HEX record never crosses a 64 KiB page here.
    for block_start, block_end in blocks:
        address = block_start
        while address <= block_end:
            end = min(block_end, address + next_length() - 1)
            if address <= code <= end:
                if split_field:
                    end = code  # The record ends at the first code byte.
                elif end == code:
                    end = min(block_end, code + 1 + rng.choice([0, 0, 5]))
            if page_split and (address >> 16) != (end >> 16):
                end = address | 0xFFFF
            records.append((address, end))
            address = end + 1
    return records


def hex_digits(value, width, lower):
    text = "%0*X" % (width, value)
    return text.lower() if lower else text


def intel_line(count_bytes, lower):
    body = bytes(count_bytes)
    checksum = (-sum(body)) & 0xFF
    return ":" + hex_digits(int.from_bytes(body + bytes([checksum]), "big"),
                            2 * (len(body) + 1), lower)


def intel_record(offset, kind, data, lower):
    return intel_line(bytes([len(data), offset >> 8, offset & 0xFF, kind]) + bytes(data), lower)


def s_record(kind, address, data, lower):
    width = {"0": 2, "1": 2, "2": 3, "3": 4, "7": 4, "8": 3, "9": 2}[kind]
    body = bytes([width + len(data) + 1]) + address.to_bytes(width, "big") + bytes(data)
    checksum = (~sum(body)) & 0xFF
    raw = body + bytes([checksum])
    return "S" + kind + hex_digits(int.from_bytes(raw, "big"), 2 * len(raw), lower)


def holds_code(start, end, code):
    return start <= code + 1 and code <= end


def write_intel_hex(rng, mode, records, image, lower_at, code):
    """Lines of the image and, for each, whether it holds a code byte."""
    lines = []
    flags = []
    state = None  # The page (64 KiB) that the last extended address record selected.
    if mode != "ihex-plain" and rng.random() < 0.3:
        state = 0
        kind = 4 if mode == "ihex-linear" else 2
        lines.append(intel_record(0, kind, [0, 0], lower_at()))
    base = 0
    for start, end in records:
        page = start >> 16
        if mode == "ihex-segment-odd":
            if state is None or start < base or end - base > 0xFFFF or rng.random() < 0.2:
                base = max(0, start - rng.randrange(0, 0x8000)) & ~0xF
                lines.append(intel_record(0, 2, list((base >> 4).to_bytes(2, "big")), lower_at()))
                state = page
            data = [image[a] for a in range(start, end + 1)]
            flags += [False] * (len(lines) - len(flags)) + [holds_code(start, end, code)]
            lines.append(intel_record(start - base, 0, data, lower_at()))
            continue
        if mode != "ihex-plain" and page != state:
            if mode == "ihex-segment":
                lines.append(intel_record(0, 2, [page << 4, 0], lower_at()))
            else:
                lines.append(intel_record(0, 4, [page >> 8, page & 0xFF], lower_at()))
            state = page
        data = [image[a] for a in range(start, end + 1)]
        flags += [False] * (len(lines) - len(flags)) + [holds_code(start, end, code)]
        lines.append(intel_record(start & 0xFFFF, 0, data, lower_at()))
    if rng.random() < 0.2:
        if mode == "ihex-linear":
            lines.append(intel_record(0, 5, list(rng.randrange(1 << 32).to_bytes(4, "big")),
                                      lower_at()))
        else:
            lines.append(intel_record(0, 3, [0x12, 0x34, 0x00, 0x10], lower_at()))
    lines.append(intel_record(0, 1, [], lower_at()))
    return lines, flags + [False] * (len(lines) - len(flags))


def write_s_records(rng, mode, records, image, lower_at, code):
    kind = mode[-1]
    terminator = {"1": "9", "2": "8", "3": "7"}[kind]
    lines = [s_record("0", 0, list(rng.choice([b"HDR", b"app.s19", b""])), lower_at())]
    flags = [False]
    for start, end in records:
        data = [image[a] for a in range(start, end + 1)]
        lines.append(s_record(kind, start, data, lower_at()))
        flags.append(holds_code(start, end, code))
    lines.append(s_record(terminator, 0, [], lower_at()))
    return lines, flags + [False]


def make_ranges(rng, blocks, code, limit):
    """One to five disjoint ranges, none holding a code byte, some touching each other."""
    anchors = [b[0] for b in blocks] + [b[1] for b in blocks] + [code, code + 2]
    candidates = []
    for _ in range(rng.randrange(1, 6)):
        anchor = rng.choice(anchors)
        start = anchor + rng.randrange(-300, 300)
        roll = rng.random()
        if roll < 0.06:
            length = rng.randrange(0x10000, 0x400000)  # A wide range, mostly 0xFF fill.
        elif roll < 0.08:
            length = rng.randrange(0x400000, 0x1000000)
        else:
            length = rng.choice([1, 2, rng.randrange(1, 64), rng.randrange(1, 2000)])
        start = max(0, min(start, SREC_CAT_TOP))
        end = min(start + length - 1, SREC_CAT_TOP)
        candidates.append((start, end))
    if rng.random() < 0.3:
        # Ranges that end right before the code field and start right after it.
        if code > 0:
            candidates.append((max(0, code - rng.randrange(1, 500)), code - 1))
        if code + 2 <= SREC_CAT_TOP:
            candidates.append((code + 2, min(SREC_CAT_TOP, code + 2 + rng.randrange(0, 500))))
    pieces = []
    for start, end in candidates:
        # Cut the code field out of the range.
        if start <= code + 1 and code <= end:
            if start < code:
                pieces.append((start, code - 1))
            if end > code + 1:
                pieces.append((code + 2, end))
        else:
            pieces.append((start, end))
    pieces.sort()
    ranges = []
    for start, end in pieces:
        if ranges and start <= ranges[-1][1]:
            start = ranges[-1][1] + 1  # Trim the overlap: the ranges now touch.
        if start <= end:
            ranges.append((start, end))
    if len(ranges) > 5:
        ranges = sorted(rng.sample(ranges, 5))
    if not ranges:
        ranges = [(code + 2, code + 2)] if code + 2 <= SREC_CAT_TOP else [(0, code - 1)]
    return ranges


def hex_text(rng, value):
    text = "%X" % value
    if rng.random() < 0.2:
        text = text.rjust(rng.randrange(len(text), 9), "0")
    return text.lower() if rng.random() < 0.3 else text


def output_name_for(rng, mode):
    if rng.random() < 0.2:
        return None  # Let sumwright derive it from the input name.
    if mode.startswith("srec"):
        return rng.choice(OUTPUT_NAMES)
    return rng.choice(["out.hex", "result.ihx", "build/boot.hex", "plain"])


def expected_s0_header(output_name):
    """The S0 header built from the output file name: 8 name and 3 extension characters."""
    part = output_name.replace("\\", "/").rsplit("/", 1)[-1]
    stop = 0
    name = b""
    while stop < len(part) and part[stop] != "." and len(name) < 8:
        name += part[stop].encode()
        stop += 1
    extension = b""
    dot = part.find(".", stop)
    if dot >= 0:
        extension = part[dot + 1:dot + 4].encode()
    body = bytes([0x0E, 0, 0]) + name.ljust(8, b" ") + extension.ljust(3, b" ")
    return "S0" + body.hex().upper() + "%02X" % ((~sum(body)) & 0xFF)


class Case:
    pass


def generate_case(seed, index, modes):
    rng = random.Random("%d-%d" % (seed, index))
    case = Case()
    case.index = index
    case.mode = modes[index % len(modes)]
    case.scenario = SCENARIOS[(index // len(modes)) % len(SCENARIOS)]
    case.intel = case.mode.startswith("ihex")
    case.code = choose_code_address(rng, case.mode, case.scenario)
    blocks = make_blocks(rng, case.mode, case.scenario, case.code)
    if not blocks:
        limit = address_limit(case.mode)
        blocks = [(case.code + 2, case.code + 17)] if case.code + 17 <= limit else [(0, 15)]
    page_split = case.mode in ("ihex-segment", "ihex-segment-odd", "ihex-linear")
    records = split_records(rng, blocks, case.code, case.scenario, page_split)
    case.image = {}
    for start, end in records:
        for address in range(start, end + 1):
            case.image[address] = rng.randrange(256)
    lower_file = rng.random() < 0.25
    lower_at = lambda: lower_file and rng.random() < 0.8
    if case.intel:
        case.lines, case.holds_code = write_intel_hex(rng, case.mode, records, case.image,
                                                      lower_at, case.code)
    else:
        case.lines, case.holds_code = write_s_records(rng, case.mode, records, case.image,
                                                      lower_at, case.code)
    case.shuffled = case.mode in ("ihex-plain", "srec-S1", "srec-S2", "srec-S3") and (
        rng.random() < 0.15)
    if case.shuffled:
        shuffle_records(rng, case, records)
    case.crlf = rng.random() < 0.25
    case.ranges = make_ranges(rng, blocks, case.code, address_limit(case.mode))
    case.algorithm = rng.choice(["CCITT", "16", None])
    case.byte_order = rng.choice(["big", "little", None])
    case.input_name = "in.hex" if case.intel else "in.mot"
    case.output_name = output_name_for(rng, case.mode)
    shuffled = list(case.ranges)
    rng.shuffle(shuffled)
    range_text = ",".join("%s-%s" % (hex_text(rng, s), hex_text(rng, e)) for s, e in shuffled)
    crc_token = "%s=%s=%s" % (rng.choice(["-crc", "-CRC", "-Crc", "-cr"]),
                              hex_text(rng, case.code), range_text)
    if case.algorithm:
        crc_token += "/" + case.algorithm
    tokens = [crc_token]
    if case.byte_order:
        spelling = rng.choice(["-endian", "-ENDIAN", "-e"])
        value = case.byte_order if rng.random() < 0.5 else case.byte_order.upper()
        tokens.append("%s=%s" % (spelling, value))
    if case.output_name:
        tokens.append("-output=" + case.output_name)
    rng.shuffle(tokens)
    case.subcommand = None
    if rng.random() < 0.1:
        case.subcommand = "\n".join(tokens) + "\n"
        tokens = ["-subcommand=options.txt"]
    position = rng.randrange(len(tokens) + 1)
    case.arguments = tokens[:position] + [case.input_name] + tokens[position:]
    return case


def shuffle_records(rng, case, records):
    """Puts the data records in random file order; a split code field keeps its first part first."""
    first = 0 if case.intel else 1
    order = list(range(len(records)))
    rng.shuffle(order)
    ends_at_code = [i for i, (start, end) in enumerate(records) if end == case.code]
    starts_after = [i for i, (start, end) in enumerate(records) if start == case.code + 1]
    if ends_at_code and starts_after:
        a, b = order.index(ends_at_code[0]), order.index(starts_after[0])
        if a > b:
            order[a], order[b] = order[b], order[a]
    span = slice(first, first + len(records))
    case.lines[span] = [case.lines[first + i] for i in order]
    case.holds_code[span] = [case.holds_code[first + i] for i in order]


def describe(case):
    return ("%s, code field %s at 0x%X, ranges %s, %s, %s order%s%s" % (
        case.mode, case.scenario, case.code,
        ",".join("%X-%X" % r for r in case.ranges), case.algorithm or "CCITT (default)",
        case.byte_order or "big (default)", ", lower case" if any(
            c.islower() for line in case.lines for c in line[1:]) else "",
        ", CR LF" if case.crlf else "") + (", records shuffled" if case.shuffled else ""))


# ---------------------------------------------------------------------------------------------
# Running one case


def program_command(sumwright):
    # As for the command-line tests: SUMWRIGHT_EXE chooses another program, SUMWRIGHT_LAUNCHER
    # (for example a script that runs it under Wine) runs it.
    launcher = shlex.split(os.environ.get("SUMWRIGHT_LAUNCHER", ""))
    return launcher + [os.environ.get("SUMWRIGHT_EXE") or sumwright]


def run_case(case, sumwright, work_root, keep):
    work = tempfile.mkdtemp(prefix="case%d_" % case.index, dir=work_root)
    os.makedirs(os.path.join(work, "build"), exist_ok=True)
    line_end = "\r\n" if case.crlf else "\n"
    input_path = os.path.join(work, case.input_name)
    with open(input_path, "wb") as stream:
        stream.write((line_end.join(case.lines) + line_end).encode("ascii"))
    if case.subcommand:
        with open(os.path.join(work, "options.txt"), "wb") as stream:
            stream.write(case.subcommand.encode("ascii"))
    output_name = case.output_name
    if output_name is None:
        stem, dot, rest = case.input_name.partition(".")
        output_name = stem + "_1" + dot + rest
    try:
        check_case(case, sumwright, work, input_path, output_name, line_end)
    finally:
        if not keep:
            shutil.rmtree(work, ignore_errors=True)
    return work


def check_case(case, sumwright, work, input_path, output_name, line_end):
    result = subprocess.run(program_command(sumwright) + case.arguments, cwd=work,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    messages = result.stderr.decode("latin-1").replace("\r\n", "\n")
    command_text = " ".join(shlex.quote(a) for a in ["sumwright"] + case.arguments)
    if result.returncode != 0:
        raise CaseFailure("status %d for %s\n%s" % (result.returncode, command_text, messages))
    # The whole message text: the banner, the code address, the completion line.
    expected = ('** L0500 (I) Generated CRC code at "0x%08X"\n\nSumwright Completed\n'
                % case.code)
    if not re.fullmatch(r"Sumwright Version [0-9.]+\n" + re.escape(expected), messages):
        raise CaseFailure("messages of %s differ:\n%s" % (command_text, messages))

    # (a) and (b): two independent oracles, which must agree with each other first.
    input_format = "intel" if case.intel else "motorola"
    by_srec_cat = srec_cat_crc(input_path, input_format, case.ranges, case.code,
                               case.algorithm or "CCITT")
    input_image = read_intel_hex(input_path) if case.intel else read_s_records(input_path)
    if input_image != case.image:
        raise CaseFailure("the generated input does not read back as generated (test fault)")
    by_crcmod = crcmod_crc(input_image, case.ranges, case.algorithm or "CCITT")
    if by_srec_cat != by_crcmod:
        raise CaseFailure("oracles disagree: srec_cat 0x%04X, crcmod 0x%04X" % (
            by_srec_cat, by_crcmod))
    high, low = by_crcmod >> 8, by_crcmod & 0xFF
    first, second = (low, high) if case.byte_order == "little" else (high, low)

    # (c): the output image is the input image with the two code bytes replaced.
    output_path = os.path.join(work, output_name)
    if not os.path.exists(output_path):
        raise CaseFailure("no output file %s" % output_name)
    output_image = read_intel_hex(output_path) if case.intel else read_s_records(output_path)
    got = (output_image.get(case.code), output_image.get(case.code + 1))
    if got != (first, second):
        shown = ["--" if v is None else "%02X" % v for v in got]
        raise CaseFailure("code bytes %s %s, expected %02X %02X (CRC 0x%04X from srec_cat and "
                          "crcmod)" % (shown[0], shown[1], first, second, by_crcmod))
    expected_image = dict(input_image)
    expected_image[case.code] = first
    expected_image[case.code + 1] = second
    if output_image != expected_image:
        differ = sorted(a for a in set(output_image) | set(expected_image)
                        if output_image.get(a) != expected_image.get(a))
        raise CaseFailure("output image differs from the input image at %d addresses, first "
                          "0x%X" % (len(differ), differ[0]))
    check_output_lines(case, output_path, output_name, line_end)


def check_output_lines(case, output_path, output_name, line_end):
    with open(output_path, "rb") as stream:
        text = stream.read().decode("ascii")
    if not text.endswith(line_end) or (line_end == "\n" and "\r" in text):
        raise CaseFailure("output lines do not all end with the input's line end %r" % line_end)
    if line_end == "\r\n" and text.count("\r\n") != text.count("\n"):
        raise CaseFailure("output mixes line ends")
    lines = text.split(line_end)[:-1]
    copied = case.lines
    if not case.intel:
        if lines[0] != expected_s0_header(output_name):
            raise CaseFailure("header %s, expected %s" % (
                lines[0], expected_s0_header(output_name)))
        copied = case.lines[1:]
        lines = lines[1:]
    # Every input line that holds no code byte is copied unchanged and in order.
    skipped = len(case.lines) - len(copied)
    untouched = [line for line, holds in zip(copied, case.holds_code[skipped:]) if not holds]
    position = 0
    for line in lines:
        if position < len(untouched) and line == untouched[position]:
            position += 1
    if position != len(untouched):
        raise CaseFailure("input line %s is missing or out of order in the output"
                          % untouched[position])
    # At most: two address records, two one-byte CRC records, and one address record that puts
    # back the base the following input records rely on.
    extra = len(lines) - len(copied)
    if extra < 0 or extra > 5:
        raise CaseFailure("output has %d lines for %d input lines" % (len(lines), len(copied)))


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sumwright", required=True)
    parser.add_argument("--cases", type=int, default=240)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--only", type=int, default=None)
    parser.add_argument("--keep", default=None, help="keep the case directories under DIR")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--odd-segments", action="store_true",
                        help="only Intel HEX with segment bases off 64 KiB page starts")
    arguments = parser.parse_args()
    if os.sep in arguments.sumwright:
        arguments.sumwright = os.path.abspath(arguments.sumwright)  # Cases run in their own dir.
    if shutil.which("srec_cat") is None:
        print("cross_check: srec_cat (Debian package srecord) is not installed: install it, for "
              "example with tools/install_deps.sh")
        return 1
    work_root = arguments.keep or tempfile.mkdtemp(prefix="sumwright_peers_")
    os.makedirs(work_root, exist_ok=True)
    try:
        failures = confirm_check_values(work_root)
        if failures:
            print("\n".join(failures))
            return 1
        indexes = [arguments.only] if arguments.only is not None else range(arguments.cases)
        modes = ODD_SEGMENT_MODES if arguments.odd_segments else MODES
        cases = [generate_case(arguments.seed, i, modes) for i in indexes]
        failed = 0
        with concurrent.futures.ThreadPoolExecutor(max_workers=arguments.jobs) as pool:
            futures = {pool.submit(run_case, case, arguments.sumwright, work_root,
                                   arguments.keep is not None): case for case in cases}
            for future in concurrent.futures.as_completed(futures):
                case = futures[future]
                try:
                    future.result()
                except CaseFailure as error:
                    failed += 1
                    print("FAIL seed %d case %d (rerun: --seed %d --only %d%s): %s\n  %s\n" % (
                        arguments.seed, case.index, arguments.seed, case.index,
                        " --odd-segments" if arguments.odd_segments else "", describe(case), error))
                except Exception:
                    failed += 1
                    print("ERROR seed %d case %d: %s\n%s" % (
                        arguments.seed, case.index, describe(case), traceback.format_exc()))
        print("%d of %d cases passed (seed %d)" % (len(cases) - failed, len(cases),
                                                    arguments.seed))
        return 1 if failed else 0
    finally:
        if arguments.keep is None:
            shutil.rmtree(work_root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
