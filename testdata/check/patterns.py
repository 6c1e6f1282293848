#!/usr/bin/env python3
"""Recomputes testdata/patterns/expected_*.csv: the sample rule files evaluated over the
daily bars of ttrc_daily.csv from 1990 on, from the rules of rule files, formulas,
conditions and verdicts.

Bars are appended (prices x 100), the pattern entry runs after each bar with windows 5/5.
A line is written for every bar on which the entry returns 1 or something negative, or the
pattern's evaluation count changes: date, result, evaluation count and the slots written.
"""

import os
import sys

from pivots import Manager, TESTDATA, compare, f32, host_price, scaled

SCALE = 100
HEADERS = ("symbols:", "calc:", "cond:", "result:", "output:", "diagstart:")


def leading_number(text):
    """The leading decimal number of a text, 0 when there is none."""
    text = text.lstrip()
    end = 0
    best = 0.0
    while end < len(text):
        end += 1
        try:
            best = float(text[:end])
        except ValueError:
            if text[:end] not in ("-", "+", ".", "-.", "+."):
                break
    return best


class Pattern:
    def __init__(self, path):
        self.letters = ""
        self.filter = 0
        self.calcs = []  # [name, formula, value]
        self.conds = []  # [name, calc, [(min, max)], result]
        self.mode = "A"
        self.result = []
        self.outputs = []  # calc or condition entries, in file order
        self.evaluations = 0
        self.found = 0
        section = None
        symbols_seen = False
        with open(path, newline="") as f:
            lines = f.read().replace("\r\n", "\n").replace("\r", "\n").split("\n")
        for line in lines:
            line = line.lstrip(" ")
            if not line or line.startswith(";"):
                continue
            if line.lower() in HEADERS:
                section = line.lower()
                continue
            if section == "symbols:":
                if not symbols_seen:
                    self.letters = line.strip(" ")
                    symbols_seen = True
                elif line.lower() in ("low", "min"):
                    self.filter = -1
                elif line.lower() in ("high", "max"):
                    self.filter = 1
            elif section == "calc:":
                name, formula = line.split("=")[0], line.split("=")[1]
                if not self.find(self.calcs, name):
                    self.calcs.append([name, formula, 0.0])
            elif section == "cond:":
                name, rest = line.split("=", 1)
                fields = rest.split("|")
                calc = self.find(self.calcs, fields[0].strip())
                ranges = [(leading_number(r.split(",")[0]), leading_number(r.split(",")[1]))
                          for r in fields[1:]]
                if not self.find(self.conds, name):
                    self.conds.append([name, calc, ranges, 0.0])
            elif section == "result:":
                mode, rest = line.split("=", 1)
                self.mode = "O" if mode.lower() == "or" else "A"
                self.result = [self.find(self.conds, c.strip()) for c in rest.split(",")]
            elif section == "output:":
                entry = self.find(self.calcs, line) or self.find(self.conds, line)
                if entry:  # an output naming nothing known is skipped
                    self.outputs.append(entry)

    @staticmethod
    def find(entries, name):
        for e in entries:
            if e[0].lower() == name.lower():
                return e
        return None

    def formula_value(self, formula, pivots):
        """Value of one formula over the newest pivots, single precision; None on error."""
        k = len(self.letters)
        taken = 0  # pivot slots filled: the first, then the second
        lefts, rights = [0.0, 0.0], [0.0, 0.0]  # L1, L2 and R1, R2
        op = None
        left = 0.0
        j = 0
        for ch in formula:
            if ch == " ":
                continue
            j += 1
            if ch.isalpha():
                pos = self.letters.find(ch)
                if pos < 0 or taken == 2:
                    return None
                piv = pivots[len(pivots) - k + pos]
                (lefts if op is None else rights)[taken] = piv.price
                taken += 1
            elif ch in "*+-/":
                if op is not None:
                    continue
                op = ch
                if j > 2:
                    left = f32(lefts[1] - lefts[0])
                    taken = 0
                    lefts = [0.0, 0.0]
                else:
                    left = lefts[0]
            else:
                return None
        if len(formula) == 5:
            if taken < 2:
                return None
            right = f32(rights[1] - rights[0])
        else:
            right = rights[1]
        var1, var2 = abs(left), abs(right)
        if op == "*":
            return f32(var1 * var2)
        if op == "+":
            return f32(var1 + var2)
        if op == "-":
            return f32(var1 - var2)
        if op == "/":
            return 0.0 if var2 == 0 else f32(f32(var1 * 100) / var2)
        return 0.0

    def evaluate(self, pivots):
        if len(pivots) < len(self.letters) or not pivots:
            return 0
        for calc in self.calcs:
            value = self.formula_value(calc[1], pivots)
            if value is None:
                return -1
            calc[2] = value
        for cond in self.conds:
            cond[3] = 0.0
            for lo, hi in cond[2]:
                if lo <= cond[1][2] <= hi:
                    cond[3] = 100.0
        count = 0
        for cond in self.result:
            if cond[3] > 0:
                count += 1
            elif self.mode == "O":
                continue
            if self.mode == "O" and count > 0:
                break
        self.evaluations += 1
        if self.mode == "O":
            self.found = 1 if count > 0 else 0
        else:
            self.found = 1 if count == len(self.result) else 0
        return self.found

    def outputs_slots(self):
        if self.evaluations == 0:
            return []
        slots = [100.0 if self.found else 0.0]
        for out in self.outputs:
            is_calc = any(out is c for c in self.calcs)
            slots.append(out[2] if is_calc else out[3])
        return slots


def run(name, left, right):
    pattern = Pattern(os.path.join(TESTDATA, "patterns", "PR_%s.txt" % name))
    mgr = Manager(filter_bit=True)  # bars appended: the filter bit is on
    lines = ["date,result,evaluations,slots"]
    last_count = 0
    with open(os.path.join(TESTDATA, "ttrc_daily.csv")) as f:
        next(f)
        rows = [line.strip().split(",") for line in f if line.strip()]
    for row in rows:
        date = int(row[0].replace("-", ""))
        if date < 19900101:
            continue
        n = mgr.add_bar(host_price(scaled(row[2], SCALE), SCALE),
                        host_price(scaled(row[3], SCALE), SCALE))
        piv = mgr.calc_pivot(n, left, right)
        result = None
        if piv is not None:
            r, _ = mgr.consolidate(n)
            if r != 0:
                result = 1
            elif pattern.filter in (0, piv.direction):
                pattern.evaluate(mgr.pivots)
        slots = pattern.outputs_slots() if result is None else []
        if result is None:
            result = len(slots)
        if result == 1 or pattern.evaluations != last_count or result < 0:
            text = "%d,%d,%d" % (date, result, pattern.evaluations)
            if result > 1:
                text += "".join(",%.4f" % v for v in slots)
            lines.append(text)
        last_count = pattern.evaluations
    return lines


def main():
    ok = True
    for name in ("Swing3", "XABCD_Bull"):
        path = os.path.join(TESTDATA, "patterns", "expected_%s.csv" % name)
        ok = compare("expected_%s.csv" % name, run(name, 5, 5), path, skip_header_lines=1) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
