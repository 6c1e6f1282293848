#!/usr/bin/env python3
"""Recomputes testdata/rrs_golden_expected.csv from the bar files and the robust-slope rules.

Each run feeds the closes of one file (in single precision) as the values of successive
XMT_RRS calls of one history: host date, time HHMM, scope, result mode, bar type and nExtra
as listed in RUNS. A call appends its value; the history is emptied when the date goes back
or the last date is not positive, and for bar types 0 and 1 with nExtra 0 at a new date once
it holds more than one point. With n points the result is 0 for n < 3; otherwise the window
is the c = min(scope, n - 1) points before the newest, each window point's median of its
slopes (v(i) - v(j)) / (i - j) to the others is taken, and the median of those medians
times 100 is the result, divided by the newest value and times 1000 in mode 2. Every step
is rounded to single precision; the median of an even count is (lower + upper) * 0.5.

One line per written call: file, scope, mode, bar type, nExtra, call number, date, time,
result (%.9g; a zero without its sign).
"""

import os
import sys
from array import array

from pivots import TESTDATA, compare, f32

# file, scope, mode, bar type, nExtra, closes fed (0: all), first call written
RUNS = [
    ("msft_daily.csv", 3, 1, 2, 0, 0, 1),
    ("msft_daily.csv", 10, 2, 2, 0, 0, 1),
    ("msft_daily.csv", 50, 1, 2, 0, 0, 1),
    ("ttrc_daily.csv", 20, 2, 2, 0, 1000, 1),
    ("ttrc_daily.csv", 100, 1, 2, 0, 400, 101),
    ("ttrc_daily.csv", 500, 2, 2, 0, 520, 501),
    ("usdchf_30min.csv", 10, 1, 1, 0, 3000, 1),
    ("usdchf_30min.csv", 100, 2, 1, 0, 3000, 1),
]


def f32_all(values):
    return array("f", values).tolist()


def read_series(name):
    """(host date, time HHMM, close as a float) of each row."""
    rows = []
    with open(os.path.join(TESTDATA, name)) as f:
        header = f.readline()
        intraday = "Time" in header
        for line in f:
            fields = line.strip().split(",")
            y, m, d = (int(x) for x in fields[0].split("-"))
            date = y * 10000 + m * 100 + d - 19000000
            if intraday:
                hh, mm = (int(x) for x in fields[1].split(":"))
                rows.append((date, hh * 100 + mm, f32(float(fields[2]))))
            else:
                rows.append((date, 1600, f32(float(fields[4]))))
    return rows


def median(values):
    s = sorted(values)
    n = len(s)
    if n % 2 == 1:
        return s[n // 2]
    return f32(f32(s[n // 2 - 1] + s[n // 2]) * 0.5)


def slope(window):
    c = len(window)
    medians = []
    for i in range(c):
        others = [j for j in range(c) if j != i]
        diffs = f32_all([window[i] - window[j] for j in others])
        slopes = f32_all([d / (i - j) for d, j in zip(diffs, others)])
        medians.append(median(slopes))
    return median(medians)


def text(r):
    if r != r:
        return "nan"
    if r in (float("inf"), float("-inf")):
        return "inf" if r > 0 else "-inf"
    if r == 0:
        return "0"
    return "%.9g" % r


def run(name, scope, mode, bar_type, extra, bars, first):
    rows = read_series(name)
    if bars:
        rows = rows[:bars]
    used = max(scope, 1)
    points, last_date, lines = [], 0, []
    for k, (date, time, value) in enumerate(rows, 1):
        if bar_type <= 1 and extra == 0 and date != last_date and len(points) > 1:
            points = []
        if date < last_date or last_date <= 0:
            points = []
        last_date = date
        points.append(value)
        if k < first:
            continue
        n = len(points)
        if used == 1:
            r = value
        elif n < 3:
            r = 0.0
        else:
            c = n - 1 if n <= used else used
            r = f32(slope(points[n - c - 1:n - 1]) * 100)
            if mode == 2:
                r = f32(f32(r / value) * 1000)
        lines.append("%s,%d,%d,%d,%d,%d,%d,%04d,%s"
                     % (name, scope, mode, bar_type, extra, k, date + 19000000, time, text(r)))
    return lines


def main():
    lines = []
    for r in RUNS:
        lines += run(*r)
    path = os.path.join(TESTDATA, "rrs_golden_expected.csv")
    return 0 if compare("rrs_golden_expected.csv", lines, path) else 1


if __name__ == "__main__":
    sys.exit(main())
