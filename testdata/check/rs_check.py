#!/usr/bin/env python3
"""Recomputes testdata/rs_check_golden_expected.csv from the USD/CHF closes and the rules of
the support/resistance check.

Every close goes in as one bar (open, high, low and close all the close, scale 10000, bar
numbers 1, 2, ..., windows 48/48). A call that confirms a pivot gives one line: left, right,
bar index, date, time, result and slots 0-12 ("-" for a slot the call leaves untouched).
"""

import os
import sys

from pivots import Manager, TESTDATA, adjust_windows, compare, host_date, host_price, \
    scaled, slot_text

SCALE = 10000


def structure(pivots):
    """1 rising, -1 falling, 0 neither, over the four newest pivots (p0 the newest)."""
    if len(pivots) < 4:
        return 0
    p0, p1, p2, p3 = pivots[-1], pivots[-2], pivots[-3], pivots[-4]
    if ((p0.direction, p1.direction, p2.direction, p3.direction) == (1, -1, 1, -1)
            and p0.price > p2.price and p1.price > p3.price):
        return 1
    if ((p0.direction, p1.direction, p2.direction, p3.direction) == (-1, 1, -1, 1)
            and p2.price > p0.price and p3.price > p1.price):
        return -1
    return 0


def run(left, right):
    left, right = adjust_windows(left, right, 1, 100)
    mgr = Manager(filter_bit=True)
    lines = []
    with open(os.path.join(TESTDATA, "usdchf_30min.csv")) as f:
        next(f)
        rows = [line.strip().split(",") for line in f if line.strip()]
    for i, (iso, hhmm, close) in enumerate(rows):
        date = host_date(iso)
        time = int(hhmm.replace(":", ""))
        price = host_price(scaled(close, SCALE), SCALE)
        n = mgr.add_bar(price, price)
        piv = mgr.calc_pivot(n, left, right)
        if piv is None:
            continue  # slots 0-19 zeroed: no line
        slots = [None] * 13
        slots[0:4] = piv.fields(n)
        r, dropped = mgr.consolidate(n)
        if r < 0:
            result = r - 100
        else:
            if r > 0:
                slots[4:8] = dropped.fields(n)
                r = 2
            other = mgr.opposite(piv.direction)
            if other is not None:
                slots[8:12] = other.fields(n)
            else:
                slots[8] = 0.0
            slots[12] = float(r) if r else 1.0
            result = structure(mgr.pivots)
        lines.append("%d,%d,%d,%d,%04d,%d,%s"
                     % (left, right, i, date + 19000000, time, result, slot_text(slots)))
    return lines


def main():
    ok = compare("rs_check_golden_expected.csv", run(48, 48),
                 os.path.join(TESTDATA, "rs_check_golden_expected.csv"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
