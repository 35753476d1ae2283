#!/usr/bin/python3
"""Fails when a test did not run, unless tools/allowed_skips.txt lets it skip on this processor.

Usage: check_skips.py REPORT...
Each REPORT is a JUnit file written by ctest (--output-junit, or the test preset's
outputJUnitFile) or an XML file written by a GoogleTest program (--gtest_output=xml:FILE).
ctest itself counts a skipped test as passed; this check is what makes a skip fail the test
command. Exit status 0 when every test ran or may skip here, 1 otherwise.
"""

import fnmatch
import os
import sys
import xml.etree.ElementTree as ElementTree

ALLOW_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "allowed_skips.txt")


def cpu_flags():
    """The feature names of /proc/cpuinfo ("flags" on x86, "Features" on Arm)."""
    try:
        with open("/proc/cpuinfo") as cpuinfo:
            for line in cpuinfo:
                key, _, value = line.partition(":")
                if key.strip() in ("flags", "Features"):
                    return set(value.split())
    except OSError:
        pass
    return set()


def allowed_skips():
    """(name pattern, needed features, reason) for each line of the allow-list."""
    entries = []
    with open(ALLOW_LIST) as allow_list:
        for line in allow_list:
            if line.strip() and not line.startswith("#"):
                pattern, features, reason = line.split(None, 2)
                entries.append((pattern, features.split(","), reason.strip()))
    return entries


def tests_not_run(path):
    """The number of tests in one report, and the names of those that did not run (skipped,
    disabled or not run)."""
    root = ElementTree.parse(path).getroot()
    cases = list(root.iter("testcase"))
    names = []
    for case in cases:
        if root.tag == "testsuites":  # GoogleTest: result="skipped", status="notrun" if disabled
            name = "%s.%s" % (case.get("classname"), case.get("name"))
            ran = case.get("status") == "run" and case.get("result") != "skipped"
        else:  # ctest: status is run or fail when the test ran
            name = case.get("name")
            ran = case.get("status") in ("run", "fail")
        if not ran:
            names.append(name)
    return len(cases), names


def main(reports):
    if not reports:
        print(__doc__.strip().splitlines()[2])
        return 2
    flags = cpu_flags()
    entries = allowed_skips()
    failed = False
    for report in reports:
        count, not_run = tests_not_run(report)
        print("check_skips: %s: %d tests, %d did not run" % (report, count, len(not_run)))
        if count == 0:
            print("check_skips: %s holds no test" % report)
            failed = True
        for name in not_run:
            allowed = [(features, reason) for pattern, features, reason in entries
                       if fnmatch.fnmatchcase(name, pattern)]
            missing = [feature for features, _ in allowed for feature in features
                       if feature not in flags]
            if missing:
                print("check_skips: %s skipped, allowed: this processor lacks %s (%s)" % (
                    name, ", ".join(missing), allowed[0][1]))
            elif allowed:
                print("check_skips: %s skipped although this processor has %s (%s)" % (
                    name, ", ".join(allowed[0][0]), report))
                failed = True
            else:
                print("check_skips: %s did not run, and tools/allowed_skips.txt does not "
                      "allow that (%s)" % (name, report))
                failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
