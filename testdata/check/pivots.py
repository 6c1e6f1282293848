"""The pivot rules of the bar manager, written a second time, plainly, in Python.

Used by the checkers in this folder to recompute the expected files of testdata/ without the
library: a bar list, the pivot list (sorted by bar, then direction), the window test, the
same-direction filter, consolidation and the opposite pivot. Prices are single precision, as
the library keeps them; f32() rounds a number to it.
"""

import os
import struct

TESTDATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def f32(x):
    """x rounded to single precision."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def scaled(text, scale):
    """A price text as the host passes it: the whole number nearest to price x scale."""
    v = float(text) * scale
    return int(v + 0.5) if v >= 0 else -int(-v + 0.5)


def host_price(value, scale):
    """The stored price of an int the host passed: int / scale in single precision."""
    return f32(f32(value) / f32(scale))


def host_date(iso):
    """yyyy-mm-dd as the host passes a date: yyyymmdd - 19000000."""
    y, m, d = (int(x) for x in iso.split("-"))
    return (y - 1900) * 10000 + m * 100 + d


class Pivot:
    def __init__(self, bar, price, direction):
        self.bar = bar
        self.price = price
        self.direction = direction

    def fields(self, current):
        """The four result slots of a pivot: bars since, price, direction, bar index."""
        return [float(current - self.bar), self.price, float(self.direction), float(self.bar)]


class Manager:
    """One study instance: its bars (high, low) and its pivots. The filter bit is on."""

    def __init__(self, filter_bit=True):
        self.highs = []
        self.lows = []
        self.pivots = []
        self.filter_bit = filter_bit

    def add_bar(self, high, low):
        self.highs.append(high)
        self.lows.append(low)
        return len(self.highs) - 1

    def is_pivot(self, i, direction, left, right):
        """(1, value) for a pivot, (0, None) not, (-1, None) no bar, (-2, None) short left."""
        n = len(self.highs)
        if i < 0 or i >= n:
            return -1, None
        series = self.highs if direction >= 1 else self.lows
        v = series[i]
        for j in range(i - left, i + right + 1):
            if j == i:
                continue
            if j < 0 or j >= n:
                if j < i:
                    return -2, None
                continue
            w = series[j]
            if direction >= 1:
                if (j < i and w >= v) or (j > i and w > v):
                    return 0, None
            else:
                if (j < i and w <= v) or (j > i and w < v):
                    return 0, None
        return 1, v

    def newest_if(self, direction):
        """The newest pivot when it has this direction (the adjacent backward search)."""
        if self.pivots and self.pivots[-1].direction == direction:
            return self.pivots[-1]
        return None

    def set_pivot(self, bar, price, direction):
        for p in self.pivots:
            if p.bar == bar:
                return p  # already of the engine's class: kept as it is
        p = Pivot(bar, price, -1 if direction < 0 else 1)
        self.pivots.append(p)
        return p

    def calc_pivot(self, n, left, right):
        """Tests the bar right bars back; the pivot recorded or found there, or None."""
        p = n - right
        found = None
        for direction in (-1, 1):
            r, v = self.is_pivot(p, direction, left, right)
            if r != 1:
                continue
            if self.filter_bit:
                last = self.newest_if(direction)
                if last is not None and (
                    (direction > 0 and last.price > v) or (direction < 0 and last.price < v)
                ):
                    continue
            piv = self.set_pivot(p, v, direction)
            if found is None:
                found = piv
        if found is not None:
            self.pivots.sort(key=lambda q: (q.bar, q.direction))
        return found

    def consolidate(self, n):
        """(result, dropped pivot or None): drops the older of two same-direction pivots."""
        if len(self.pivots) < 1:
            return -1, None
        if len(self.pivots) < 2:
            return -2, None
        if self.pivots[-1].direction != self.pivots[-2].direction:
            return 0, None
        dropped = self.pivots.pop(-2)
        return 1, dropped

    def opposite(self, direction):
        for p in reversed(self.pivots):
            if p.direction != direction:
                return p
        return None


def adjust_windows(left, right, low, high):
    """Window lengths as the exports take them: below 1 becomes low, above 100 high."""
    def one(x):
        return low if x < 1 else (high if x > 100 else x)
    return one(left), one(right)


def slot_text(values):
    """Slots as the golden files write them: %.4f, or - for a slot left untouched."""
    return ",".join("-" if v is None else "%.4f" % v for v in values)


def read_daily(name):
    """Date,Open,High,Low,Close,Volume rows of testdata/<name> as (iso date, fields)."""
    rows = []
    with open(os.path.join(TESTDATA, name)) as f:
        next(f)
        for line in f:
            parts = line.strip().split(",")
            if len(parts) >= 6:
                rows.append(parts)
    return rows


def compare(name, actual_lines, expected_path, skip_header_lines=0):
    """Prints the first difference; True when the recomputed lines equal the file's."""
    with open(expected_path) as f:
        expected = f.read().split("\n")[skip_header_lines:]
    if expected and expected[-1] == "":
        expected.pop()
    for i, (a, e) in enumerate(zip(actual_lines, expected)):
        if a != e:
            print("%s: line %d differs\n  file:       %s\n  recomputed: %s"
                  % (name, i + 1 + skip_header_lines, e, a))
            return False
    if len(actual_lines) != len(expected):
        print("%s: %d lines recomputed, %d in the file"
              % (name, len(actual_lines), len(expected)))
        return False
    print("%s: all %d lines agree" % (name, len(expected)))
    return True
