#!/usr/bin/env python3
"""Fails when the deliverables table of the top-level README names a deliverable the build does
not make, misses one it makes, or calls a built one anything but built.

usage: check_readme.py README.md NAME [NAME ...]   (the names the build makes)
"""
import re
import sys


def table_rows(text, heading):
    """The first cells and states of the table below `heading` (up to the next heading)."""
    section = text.split(heading, 1)[1] if heading in text else ""
    section = re.split(r"\n## ", section, maxsplit=1)[0]
    rows = {}
    for line in section.splitlines():
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        m = re.fullmatch(r"`([A-Za-z0-9_]+)`", cells[0]) if cells else None
        if m:
            rows[m.group(1)] = cells[2] if len(cells) > 2 else ""
    return rows


def main(argv):
    readme, built = argv[1], set(argv[2:])
    with open(readme, encoding="utf-8") as f:
        rows = table_rows(f.read(), "## The deliverables")
    faults = [f"the README names `{n}`, which the build does not make" for n in sorted(set(rows) - built)]
    faults += [f"the README misses `{n}`, which the build makes" for n in sorted(built - set(rows))]
    faults += [f"the README gives `{n}` the state '{s}'" for n, s in sorted(rows.items())
               if n in built and s != "built and tested"]
    for fault in faults:
        print(fault)
    if not faults:
        print(f"the README's table names the {len(built)} deliverables the build makes")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
