#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Checks the Debian copyright file that the .deb ships, with Debian's own parser of the
machine-readable format (python3-debian), read strictly:

    /usr/bin/python3 cmake/tests/check_copyright.py <copyright file> <LICENSE>

The boot header comes under MIT-0 and every other file under MIT; each licence named has its
text, and the MIT text is LICENSE's, word for word and line for line. Prints each fault found
and exits with status 1 if there is one."""
import sys

from debian import copyright as debian_copyright


def main(copyright_path, license_path):
    with open(copyright_path, encoding="utf-8") as stream:
        parsed = debian_copyright.Copyright(stream, strict=True)
    faults = []
    for path, expected in (("boot/sumwright_crc.h", "MIT-0"), ("src/app/main.cpp", "MIT"),
                           ("examples/board/startup.c", "MIT"), ("LICENSE", "MIT")):
        found = parsed.find_files_paragraph(path).license.synopsis
        if found != expected:
            faults.append("%s comes under %s, not %s" % (path, found, expected))
    texts = {paragraph.license.synopsis: paragraph.license.text
             for paragraph in parsed.all_license_paragraphs()}
    if sorted(texts) != ["MIT", "MIT-0"] or not texts["MIT-0"].strip():
        faults.append("licence texts given: %s; expected MIT and MIT-0" % sorted(texts))
    with open(license_path, encoding="utf-8") as stream:
        license_text = stream.read()
    if texts.get("MIT") != license_text[license_text.index("Permission"):].rstrip("\n"):
        faults.append("the MIT text differs from %s" % license_path)
    for fault in faults:
        print("check_copyright: %s: %s" % (copyright_path, fault), file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
