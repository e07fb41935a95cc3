#!/usr/bin/env python3
"""Sums up a ctest run from its JUnit file (ctest --output-junit).

    ctest-summary.py STAGE FILE

Prints one line per skipped test with the reason it gave, then
"STAGE: P passed, F failed, S skipped". A test that did not run for any
other reason (its program missing, say) counts as failed. The reason is the
line a GoogleTest case printed under "Skipped", or the text after
"SKIPPED: " in a script's output. Exit status 0 when nothing failed.
"""
import sys
import xml.etree.ElementTree as ElementTree


def skip_reason(output):
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("SKIPPED: "):
            return line[len("SKIPPED: "):]
        if line.endswith(": Skipped") and i + 1 < len(lines) and lines[i + 1].strip():
            return lines[i + 1].strip()
    return "no reason given"


def main():
    stage, path = sys.argv[1], sys.argv[2]
    passed = failed = 0
    skipped = []
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        status = case.get("status")
        if status == "run":
            passed += 1
        elif status in ("notrun", "disabled") and case.find("skipped") is not None:
            skipped.append((case.get("name"), skip_reason(case.findtext("system-out") or "")))
        else:
            failed += 1
    for name, reason in skipped:
        print(f"skipped: {name}: {reason}")
    print(f"{stage}: {passed} passed, {failed} failed, {len(skipped)} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
