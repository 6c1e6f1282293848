#!/usr/bin/env python3
"""Recomputes testdata/utc_golden_expected.csv from the bar files, line by line.

Written from the rules of the UTC momentum module alone (plain Python 3, no other modules):
- prices are the file's decimals rounded to single precision; a close-only file gives its
  close as all four prices and volume 0; bar numbers count from 1;
- a new bar is stored with a close of 0 or less replaced by its high; an update (same bar
  number as the newest bar) overwrites the newest bar's prices as given;
- typical price P = (low + high + close + close) * 0.25, every step in single precision;
- sum S over i = 1..N of ((P0 / Pi) - 1) * 1000 / sqrt(i) in double precision, over the
  bars that exist, skipping bars with Pi <= 0;
- smoothing (L > 1): an exponential average in single precision whose first value seeds
  it, factor 2 / (L + 1); an update starts again from the smoothed value as it stood
  before the updated bar. The averaging ring counts one more value on every add (updates
  included) up to L, and only the very first add seeds.
- "update" runs feed every bar first flat at the previous bar's close, then with its
  own prices under the same bar number.

Usage: utc_golden_check.py [testdata folder]. Prints the number of lines checked and every
difference; exit status 1 when any line differs.
"""
import math
import os
import sys

from pivots import f32


def read_bars(path):
    """(host date, time, open, high, low, close, volume) per line, prices in single precision."""
    bars = []
    with open(path, "r", newline="") as f:
        header = f.readline()
        close_only = "Time" in header
        for line in f:
            cols = line.strip().split(",")
            if not cols or not cols[0]:
                continue
            y, m, d = (int(x) for x in cols[0].split("-"))
            date = y * 10000 + m * 100 + d - 19000000
            if close_only:
                hh, mm = (int(x) for x in cols[1].split(":"))
                c = f32(float(cols[2]))
                bars.append((date, hh * 100 + mm, c, c, c, c, 0.0))
            else:
                o, h, l, c, v = (f32(float(x)) for x in cols[1:6])
                bars.append((date, 1600, o, h, l, c, v))
    return bars


def typical(bar):
    _, high, low, close = bar
    s = f32(low + high)
    s = f32(s + close)
    s = f32(s + close)
    return f32(s * 0.25)


class Module:
    def __init__(self, lookback, smooth):
        self.lookback = lookback
        self.smooth = smooth if smooth > 1 else 0
        self.bars = []  # (number, typical price) -- open and volume do not enter
        self.count = 0  # values the averaging ring holds
        self.avg = 0.0
        self.now = 0.0  # smoothed value after the newest bar
        self.before = 0.0  # smoothed value after the bar before it

    def call(self, number, o, h, l, c):
        update = bool(self.bars) and self.bars[-1][0] == number
        if update:
            self.bars[-1] = (number, typical((number, h, l, c)))
        else:
            self.bars.append((number, typical((number, h, l, c if c > 0 else h))))
        p0 = self.bars[-1][1]
        s = 0.0
        for i in range(1, self.lookback + 1):
            if i >= len(self.bars):
                break
            pi = self.bars[-1 - i][1]
            if pi > 0:
                s += ((p0 / pi) - 1.0) * 1000.0 / math.sqrt(i)
        if not self.smooth:
            return f32(s)
        x = f32(s)
        if update:
            self.avg = self.before
        if self.count < self.smooth:
            self.count += 1
        if self.count == 1:
            self.avg = x
        else:
            factor = f32(2.0 / (self.smooth + 1))
            self.avg = f32(self.avg + f32(factor * f32(x - self.avg)))
        if not update:
            self.before = self.now
        self.now = self.avg
        return self.avg


def main():
    testdata = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    expected = {}
    runs = []
    with open(os.path.join(testdata, "utc_golden_expected.csv")) as f:
        for line in f:
            name, n, l, mode, number, date, time, value = line.strip().split(",")
            key = (name, int(n), int(l), mode)
            if key not in expected:
                expected[key] = []
                runs.append(key)
            expected[key].append((int(number), int(date), int(time), float(value)))
    checked = differences = 0
    for key in runs:
        name, n, l, mode = key
        bars = read_bars(os.path.join(testdata, name))
        module = Module(n, l)
        results = {}
        previous = bars[0][5]
        for index, (date, time, o, h, lo, c, _v) in enumerate(bars):
            number = index + 1
            if mode == "update":
                module.call(number, previous, previous, previous, previous)
            results[number] = (date, time, module.call(number, o, h, lo, c))
            previous = c
        for number, date, time, value in expected[key]:
            checked += 1
            got = results.get(number)
            if got is None or got[0] != date or got[1] != time or f32(got[2]) != f32(value):
                differences += 1
                print("differs: %s N=%d L=%d %s bar %d: expected %r, computed %r"
                      % (name, n, l, mode, number, value, got))
    print("%d lines checked, %d differ" % (checked, differences))
    return 1 if differences or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
