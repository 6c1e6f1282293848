#!/usr/bin/env python3
"""Recomputes testdata/zigzag_golden_expected.csv from the bar files and the pivot rules.

Each file's bars go in with bar numbers 1, 2, ... and prices x 10000; bars dated before 1990
are refused by the add-bar export and skipped. After each bar the pivot test runs for the
newest bar; a call that reports a pivot gives one line: file, left, right, bar index, date,
result and slots 0-11 ("-" for a slot the call leaves untouched).
"""

import os
import sys

from pivots import (Manager, TESTDATA, adjust_windows, compare, host_date, host_price,
                    read_daily, scaled, slot_text)

SCALE = 10000


def run(name, left, right):
    left, right = adjust_windows(left, right, 2, 10)
    mgr = Manager(filter_bit=True)  # bar numbers 0 or above: the filter bit is on
    lines = []
    for row in read_daily(name):
        date = host_date(row[0])
        if date < 900000:
            continue
        high = host_price(scaled(row[2], SCALE), SCALE)
        low = host_price(scaled(row[3], SCALE), SCALE)
        n = mgr.add_bar(high, low)
        piv = mgr.calc_pivot(n, left, right)
        if piv is None:
            continue
        slots = [None] * 12
        slots[0:4] = piv.fields(n)
        result = piv.direction
        r, dropped = mgr.consolidate(n)
        if r > 0:
            slots[4:8] = dropped.fields(n)
            result *= 2
        other = mgr.opposite(piv.direction)
        if other is not None:
            slots[8:12] = other.fields(n)
        else:
            slots[8] = 0.0
        lines.append("%s,%d,%d,%d,%d,%d,%s"
                     % (name, left, right, n, date + 19000000, result, slot_text(slots)))
    return lines


def main():
    lines = []
    for name in ("msft_daily.csv", "ttrc_daily.csv"):
        lines += run(name, 5, 5)
        lines += run(name, 10, 3)
    ok = compare("zigzag_golden_expected.csv", lines,
                 os.path.join(TESTDATA, "zigzag_golden_expected.csv"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
