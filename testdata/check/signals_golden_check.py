#!/usr/bin/env python3
"""Recomputes testdata/signals_golden_expected.csv from the bar files and the rules of the
excursion store (FindGem), the adaptive average (RareAvg) and the trend reversal band, and
compares it line by line with the checked-in file.

Plain Python 3, no other modules. Single-precision arithmetic is reproduced by rounding to
a 32-bit float (struct 'f') after every operation; the polynomial fits run in double, as in
the library. Usage: signals_golden_check.py [expected-file]   (exit status 0 when equal)
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.dirname(HERE)
SCALE = 10000
INTRADAY_BARS = 1500
LONG_FILE_STRIDE = 5
NO_VALUE = 1.0e9


def f32(x):
    """x rounded to the nearest 32-bit float."""
    return struct.unpack('f', struct.pack('f', x))[0]


NO_VALUE_F = f32(NO_VALUE)


def fmt(v):
    return '%.9g' % v


# --- bars ------------------------------------------------------------------------------

class Bar:
    pass


def read_bars(name, limit):
    bars = []
    with open(os.path.join(DATA, name)) as f:
        header = f.readline()
        intraday = header.startswith('Date,Time,Close')
        for line in f:
            if len(bars) >= limit:
                break
            fields = line.strip().split(',')
            y, m, d = (int(p) for p in fields[0].split('-'))
            b = Bar()
            b.date = (y - 1900) * 10000 + m * 100 + d
            if intraday:
                hh, mm = (int(p) for p in fields[1].split(':'))
                b.time = hh * 100 + mm
                v = f32(float(fields[2]))
                s = int(math.floor(float(fields[2]) * SCALE + 0.5))
                # Closes only: a bar runs from the previous close (its open) to its own.
                prev = bars[-1] if bars else None
                b.close, b.iclose = v, s
                b.open, b.iopen = (prev.close, prev.iclose) if prev else (v, s)
                b.high, b.ihigh = max(b.open, v), max(b.iopen, s)
                b.low, b.ilow = min(b.open, v), min(b.iopen, s)
                b.volume = 0
            else:
                b.time = 0
                b.open, b.high, b.low, b.close = (f32(float(x)) for x in fields[1:5])
                b.iopen, b.ihigh, b.ilow, b.iclose = (
                    int(math.floor(float(x) * SCALE + 0.5)) for x in fields[1:5])
                b.volume = int(float(fields[5]))
            bars.append(b)
    return bars


def date_time_key(date, time):
    """Comparable date-time of a host date and an HHMM time (seconds 0)."""
    return ((date + 19000000) * 1000000) + time * 100


# --- moving-average stack ----------------------------------------------------------------

class Stack:
    def __init__(self):
        self.vals = None  # None: not initialised
        self.wgts = None
        self.length = 0
        self.count = 0
        self.pos = 0
        self.avg = 0.0
        self.weighted = 0

    def free(self):
        self.vals = None
        self.wgts = None
        self.weighted = 0
        self.count = 0
        self.length = 0

    def set_length(self, n):
        if self.vals is not None and n == self.length:
            pass
        else:
            w = self.weighted
            self.free()
            self.weighted = w
            if n <= 0:
                return 1
            if n > 1000000:
                return 0
            self.vals = [0.0] * n
            if self.weighted == 1 and self.wgts is None:
                self.wgts = [0.0] * n
        self.vals = [0.0] * n
        if self.wgts is not None:
            self.wgts = [0.0] * n
        self.length = n
        self.pos = 0
        self.count = 0
        return 1

    def _store(self, x):
        if self.vals is None:
            return False
        if self.pos >= self.length:
            self.pos = 0
        self.vals[self.pos] = x
        self.pos += 1
        if self.count < self.length:
            self.count += 1
        return True

    def add_ma(self, x):
        if not self._store(x):
            return 0
        s = 0.0
        for i in range(self.count):
            s = f32(s + self.vals[i])
        self.avg = f32(s / float(self.count))
        return 1

    def add_wgt_avg(self, x):
        if not self._store(x):
            return 0
        sv = 0.0
        sw = 0.0
        at = self.pos
        for k in range(self.count):
            at -= 1
            if at < 0:
                at = self.count - 1
            w = 1.0
            if self.wgts is not None and not self.wgts[k] <= 0.0:  # 0 or below: 1
                w = self.wgts[k]
            sv = f32(sv + f32(w * self.vals[at]))
            sw = f32(sw + w)
        self.avg = f32(sv / sw)
        return 1

    def set_weight(self, w, index):
        if index < 0 or index >= self.length:
            return 0
        if self.wgts is None:
            self.wgts = [0.0] * self.length
        if self.weighted == 0:
            self.wgts = [0.0] * self.length
        self.wgts[index] = f32(w)
        return 1


# --- FindGem ---------------------------------------------------------------------------

def moves(ref, hi, lo, basis, best_rise, best_fall):
    """Largest rise of a high above ref and fall of a low below ref so far (ref > 0 only),
    in price units or ten-thousandths of ref."""
    if ref > 0:
        rise = f32(hi - ref)
        fall = f32(ref - lo)
        if basis:
            rise = f32(f32(rise * 10000.0) / ref)
            fall = f32(f32(fall * 10000.0) / ref)
        best_rise = max(best_rise, rise)
        best_fall = max(best_fall, fall)
    return best_rise, best_fall


def run_gem(name, bars, mode, out):
    same_day = 1
    m = mode
    if m < 0:
        same_day = 0
        m = -m
    basis = 1 if m > 1000 else 0
    scope = max(m % 1000, 2)
    points = []  # (key, date, [v1..v5])
    keys = []
    for i, b in enumerate(bars):
        key = date_time_key(b.date, b.time)
        if key not in keys:  # the bars come in order: a new one goes last
            div = float(SCALE)
            vals = [f32(float(v) / div) for v in (b.iopen, b.ihigh, b.ilow, b.iclose)]
            vals.append(f32(float(b.volume)))
            points.append((key, b.date, vals))
            keys.append(key)
        end = keys.index(key)
        if end - scope < 0:
            continue
        start = end - scope
        low0 = points[start][2][2]
        high0 = points[start][2][1]
        ref_date = points[start][1]
        lp = lm = sp = sm = 0.0
        for j in range(start + 1, min(end, len(points) - 1) + 1):
            if same_day == 1 and points[j][1] != ref_date:
                break
            hi = points[j][2][1]
            lo = points[j][2][2]
            lm, lp = moves(low0, hi, lo, basis, lm, lp)
            sp, sm = moves(high0, hi, lo, basis, sp, sm)
        out.append('gem,%s,%d,%d,%d,%s,%s,%s,%s' % (
            name, mode, i, scope, fmt(lp), fmt(lm), fmt(sp), fmt(sm)))


# --- RareAvg ---------------------------------------------------------------------------

def poly_fit(points, order, at):
    """Least-squares polynomial of the given order through points, evaluated at x = at.
    None when there are no points or fewer points than the order."""
    if not points or len(points) < order:
        return None
    sx = [0.0] * (2 * order + 1)
    sxy = [0.0] * (order + 1)
    for x, y in points:
        p = 1.0
        for k in range(2 * order + 1):
            sx[k] += p
            if k <= order:
                sxy[k] += y * p
            p *= x
    n = order + 1
    a = [[sx[r + c] for c in range(n)] + [sxy[r]] for r in range(n)]
    for c in range(n):
        piv = c
        for r in range(c + 1, n):
            if abs(a[r][c]) > abs(a[piv][c]):
                piv = r
        a[c], a[piv] = a[piv], a[c]
        if a[c][c] == 0.0:
            continue
        for r in range(c + 1, n):
            fac = a[r][c] / a[c][c]
            for k in range(c, n + 1):
                a[r][k] -= fac * a[c][k]
    coef = [0.0] * n
    for r in range(n - 1, -1, -1):
        v = a[r][n]
        for k in range(r + 1, n):
            v -= a[r][k] * coef[k]
        coef[r] = 0.0 if a[r][r] == 0.0 else v / a[r][r]
    value = 0.0
    p = 1.0
    for k in range(n):
        value += coef[k] * p
        p *= at
    return value


class RareAvg:
    def __init__(self, regr, wgt, bar_type, extra):
        self.regr = regr
        self.wgt = wgt
        self.bar_type = bar_type
        self.extra = extra
        self.last_id = -1
        self.short = 3
        self.reset()

    def reset(self):
        self.bars = []  # [raw, adj, res, date]
        self.last_date = 0
        self.final = Stack()
        self.start = Stack()
        self.chg = Stack()

    def fit(self, order, offset, g):
        length = max(self.regr, 1)
        n = length - offset
        x0 = g if g <= 1010 else g % 1000
        pts = []
        for k in range(n + 1):
            idx = g - n + k
            if idx >= 0:
                pts.append((float(x0 - n + k), self.bars[idx][1]))
        v = poly_fit(pts, order, float(x0))
        return None if v is None else f32(v)

    def calculate(self, factor):
        if not self.bars:
            return None
        cur = len(self.bars) - 1
        newest = self.bars[cur]
        v = newest[0]
        length = max(self.regr, 1)
        if length == 1:
            return v
        w = max(self.wgt, 1)
        g = cur - 1
        h = max((length - 1) // 2, 1)
        if self.short >= length:
            self.short = h
        if factor == -1818:
            return self.fit(1, 0, g)
        if factor == -1819:
            return self.fit(2, 0, g)
        if factor == -1820:
            return v
        if factor < 0:
            factor = 60
        if cur == 0:
            self.start.weighted = 1
            self.start.set_length(h)
        k_count = min(len(self.bars), h)
        for i in range(k_count):
            self.start.set_weight(float(k_count - i), i)
        self.start.add_wgt_avg(v)
        if g < h:
            return self.start.avg if self.bar_type in (0, 1) else None
        if v != 0.0:
            prev = self.bars[cur - 1][0] if cur >= 1 else 0.0
            ch = f32(v - prev)
            q = f32(f32(abs(ch) * 100.0) / abs(v))
            q = min(q, 100.0)
            if self.chg.count == 0:
                self.chg.set_length(30)
            self.chg.add_ma(q)
            if self.chg.count > 5:
                if q > 0.0:
                    r = f32(q / self.chg.avg) if self.chg.avg > 0.0 else 1.0
                    if factor > 0:
                        expo = f32(1.0 + f32(float(factor) / 100.0))
                        power = f32(math.exp(f32(f32(math.log(r)) * expo)))
                        newest[1] = f32(prev + f32(f32(ch * power) / r))
                else:
                    newest[1] = abs(v)
        fits = [self.fit(1, 0, g), self.fit(1, self.short, g),
                self.fit(2, 0, g), self.fit(2, self.short, g)]
        if any(a is None for a in fits):
            return None
        res = f32(f32(f32(f32(fits[0] + fits[1]) + fits[2]) + fits[3]) * 0.25)
        newest[2] = res
        if self.final.count == 0:
            self.final.weighted = 1
            if w > 1:
                self.final.set_length(w)
                for j in range(w):
                    self.final.set_weight(float(w - j), j)
        if w > 1:
            self.final.add_wgt_avg(res)
            res = self.final.avg
        if g == h:
            res = f32(f32(self.start.avg + res) * 0.5)
        newest[2] = res
        return res

    def call(self, value, date, resp, bar_id):
        resend = False
        if date < 0:
            resend = True
            date = -date
        if bar_id == self.last_id:
            resend = True
        if self.bar_type <= 1 and self.extra == 0 and date != self.last_date and len(self.bars) > 1:
            self.reset()
        repeat, factor = 1, resp
        if resp >= 100:
            repeat, factor = resp // 100, resp % 100
        if resend:
            for _ in range(repeat):
                if self.bars:
                    self.bars.pop()
        self.last_id = bar_id
        result = NO_VALUE_F
        for _ in range(repeat):
            if date < self.last_date or self.last_date <= 0:
                self.reset()
            self.bars.append([value, value, value, date])
            self.last_date = date
            result = self.calculate(factor)
            if result is None:
                return NO_VALUE_F
        return result


def run_avg(name, bars, regr, wgt, resp, bar_type, extra, resend, stride, out):
    used = wgt if wgt > 0 else max(regr // 3 if regr > 12 else regr // 2, 2)
    inst = RareAvg(regr, used, bar_type, extra)
    for i, b in enumerate(bars):
        bar_id = i + 1
        if resend and i % 7 == 3:
            inst.call(f32(b.close * f32(1.01)), b.date, resp, bar_id)
        r = inst.call(b.close, b.date, resp, bar_id)
        if i % stride:
            continue
        out.append('avg,%s,%d,%d,%d,%d,%d,%s' % (name, regr, wgt, resp, extra, i, fmt(r)))


# --- trend band ------------------------------------------------------------------------

def band_lengths(fast, slow, steps=11):
    if slow < fast:
        return []
    step = (slow - fast) // steps
    if step == 0:
        return [fast]
    return list(range(fast, slow + 1, step))


def run_band(name, bars, fast, slow, scale, passes, stride, out):
    scale = f32(scale)
    for p in range(1, passes + 1):
        stacks = None
        last = None
        for i, b in enumerate(bars):
            if b.date < 900000:  # before 1990: refused, no instance touched
                if i % stride == 0:
                    out.append('band,%s,%d,%d,%d,%d,-1,0,0' % (name, p, fast, slow, i))
                continue
            key = date_time_key(b.date, b.time)
            if stacks is None or key < last:
                stacks = []
                for n in band_lengths(fast, slow):
                    s = Stack()
                    s.set_length(n)
                    stacks.append(s)
            last = key
            v = b.close
            got = sorted(s.avg for s in stacks if s.add_ma(v))
            pos = width = 0.0
            r = -1
            if got:
                lo, hi = got[0], got[-1]
                r = 0
                span = f32(hi - lo)
                if span > 0:
                    width = f32(f32(f32(scale * 10000.0) * span) / lo)
                    if v < lo:
                        pos, r = -100.0, 1
                    elif v > hi:
                        pos, r = 100.0, 2
                    else:
                        q = f32(f32(f32(f32(v - lo) * 200.0) / span) / 25.0)
                        pos = f32(25.0 * float(int(q)) - 100.0)
            if i % stride:
                continue
            out.append('band,%s,%d,%d,%d,%d,%d,%s,%s' % (
                name, p, fast, slow, i, r, fmt(pos), fmt(width)))


def main():
    expected_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        DATA, 'signals_golden_expected.csv')
    msft = read_bars('msft_daily.csv', 10 ** 9)
    ttrc = read_bars('ttrc_daily.csv', 10 ** 9)
    chf = read_bars('usdchf_30min.csv', INTRADAY_BARS)
    out = []
    run_gem('msft', msft, -1010, out)
    run_gem('msft', msft, -4, out)
    run_gem('usdchf', chf, 20, out)
    run_gem('usdchf', chf, -1030, out)
    run_gem('usdchf', chf, 4, out)
    for regr, wgt, resp, resend in [(10, 0, 0, False), (10, 0, 60, False), (10, 0, 100, False),
                                    (10, 0, 260, False), (30, 0, 60, False), (20, 5, 0, False),
                                    (20, 5, 260, True), (10, 0, -1818, False),
                                    (10, 0, -1819, False), (10, 0, -1820, False),
                                    (12, 4, 61, False)]:
        run_avg('msft', msft, regr, wgt, resp, 2, 0, resend, 1, out)
    for regr, wgt, resp, extra, resend in [(10, 0, 60, 0, False), (21, 4, 0, 0, False),
                                           (10, 0, 260, 0, True), (30, 0, 100, 1, False)]:
        run_avg('usdchf', chf, regr, wgt, resp, 1, extra, resend, 1, out)
    run_avg('ttrc', ttrc, 50, 0, 60, 2, 0, False, LONG_FILE_STRIDE, out)
    run_band('msft', msft, 10, 120, 1.0, 2, 1, out)
    run_band('msft', msft, 1, 12, 1.0, 1, 1, out)
    run_band('ttrc', ttrc, 20, 130, 2.5, 1, LONG_FILE_STRIDE, out)
    run_band('usdchf', chf, 10, 100, 1.0, 1, 1, out)

    with open(expected_path) as f:
        expected = f.read().splitlines()
    for n, (a, e) in enumerate(zip(out, expected), 1):
        if a != e:
            print('line %d differs\n  expected: %s\n  computed: %s' % (n, e, a))
            return 1
    if len(out) != len(expected):
        print('line counts differ: expected %d, computed %d' % (len(expected), len(out)))
        return 1
    print('%d lines agree' % len(out))
    return 0


if __name__ == '__main__':
    sys.exit(main())
