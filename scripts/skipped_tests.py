#!/usr/bin/env python3
"""Prints each test that ctest's JUnit report (--output-junit) shows as skipped or not run, one a
line with the reason the test gave: GoogleTest's message after "Skipped", or a script's line
that starts with "SKIPPED:" or "skipped:".

    scripts/skipped_tests.py ctest-results.xml
"""
import sys
import xml.etree.ElementTree as ElementTree


def reason(output: str) -> str:
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.rstrip().endswith(": Skipped") and i + 1 < len(lines) and lines[i + 1].strip():
            return lines[i + 1].strip()
        if line.lower().startswith("skipped:"):
            return line.split(":", 1)[1].strip()
    return "no reason given"


def main() -> int:
    root = ElementTree.parse(sys.argv[1]).getroot()
    count = 0
    for case in root.iter("testcase"):
        if case.get("status") not in ("skipped", "notrun", "disabled"):
            continue
        count += 1
        skipped = case.find("skipped")
        output = "".join(part.text or "" for part in case.iter("system-out"))
        why = reason(output)
        if why == "no reason given" and skipped is not None and skipped.get("message"):
            why = skipped.get("message")
        print(f"{case.get('name')}: {why}")
    if count == 0:
        print("every registered test ran")
    return 0


if __name__ == "__main__":
    sys.exit(main())
