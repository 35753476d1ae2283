#!/usr/bin/python3
"""Writes the benchmark inputs: a random program image as Intel HEX and as S3 records.

Usage: generate_image.py OUTPUT_DIR [--size BYTES] [--seed N]

OUTPUT_DIR/image.hex   16-byte data records under extended linear address records, one per 64 KiB
                       page, and an end-of-file record (about 46 MB for 16 MiB)
OUTPUT_DIR/image.s3    S0 header, 16-byte S3 records and an S7 termination record
OUTPUT_DIR/tiny.hex    one 16-byte data record and an end-of-file record
OUTPUT_DIR/large.hex   the Intel HEX form of an image four times the size (about 184 MB)
OUTPUT_DIR/descending.hex  image.hex with its 64 KiB pages written from the highest down, so
                       that the records do not ascend
OUTPUT_DIR/shuffled.s3 image.s3 with its data records in random order
The image covers addresses 0 to size - 1 with random bytes from the seed, so the same arguments
always give the same files.
"""

import argparse
import os
import random

RECORD = 16


def intel_record(offset, kind, data):
    body = bytes([len(data), offset >> 8, offset & 0xFF, kind]) + data
    return ":%s%02X\n" % (body.hex().upper(), (-sum(body)) & 0xFF)


def s_record(kind, address, width, data):
    body = bytes([width + len(data) + 1]) + address.to_bytes(width, "big") + data
    return "S%s%s%02X\n" % (kind, body.hex().upper(), (~sum(body)) & 0xFF)


def write_intel_hex(path, image, descending=False):
    pages = range(0, len(image), 0x10000)
    with open(path, "w", newline="\n") as stream:
        lines = []
        for page_start in reversed(pages) if descending else pages:
            lines.append(intel_record(0, 4, (page_start >> 16).to_bytes(2, "big")))
            page = image[page_start:page_start + 0x10000]
            for offset in range(0, len(page), RECORD):
                lines.append(intel_record(offset, 0, page[offset:offset + RECORD]))
            stream.write("".join(lines))
            lines = []
        stream.write(intel_record(0, 1, b""))


def write_s_records(path, image, shuffle_seed=None):
    addresses = list(range(0, len(image), RECORD))
    if shuffle_seed is not None:
        random.Random(shuffle_seed).shuffle(addresses)
    with open(path, "w", newline="\n") as stream:
        stream.write(s_record("0", 0, 2, b"image"))
        for chunk_start in range(0, len(addresses), 4096):
            stream.write("".join(
                s_record("3", address, 4, image[address:address + RECORD])
                for address in addresses[chunk_start:chunk_start + 4096]))
        stream.write(s_record("7", 0, 4, b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output_dir")
    parser.add_argument("--size", type=lambda text: int(text, 0), default=16 << 20)
    parser.add_argument("--seed", type=int, default=1)
    arguments = parser.parse_args()
    os.makedirs(arguments.output_dir, exist_ok=True)
    image = random.Random(arguments.seed).randbytes(arguments.size)
    write_intel_hex(os.path.join(arguments.output_dir, "image.hex"), image)
    write_s_records(os.path.join(arguments.output_dir, "image.s3"), image)
    write_intel_hex(os.path.join(arguments.output_dir, "descending.hex"), image, descending=True)
    write_s_records(os.path.join(arguments.output_dir, "shuffled.s3"), image, arguments.seed)
    with open(os.path.join(arguments.output_dir, "tiny.hex"), "w", newline="\n") as stream:
        stream.write(intel_record(0, 0, image[:RECORD]) + intel_record(0, 1, b""))
    large = random.Random(arguments.seed + 1).randbytes(4 * arguments.size)
    write_intel_hex(os.path.join(arguments.output_dir, "large.hex"), large)


if __name__ == "__main__":
    main()
