#!/usr/bin/env python3
"""Prints "PASSED FAILED SKIPPED" for a JUnit XML report (ctest's or pytest's)."""
import sys
import xml.etree.ElementTree as ET


def counts(path):
    passed = failed = skipped = 0
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: junit_counts.py REPORT.xml")
    print(*counts(sys.argv[1]))
