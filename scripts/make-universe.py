#!/usr/bin/env python3
"""Makes a synthetic universe of daily bar files for `xmt-host scan`, from a seed.

    scripts/make-universe.py OUT_DIR [--seed 1] [--symbols 1000] [--bars 2500] [--bad 5]

Each symbol is a random walk of daily bars (weekdays from 2000-01-03): a few trading days are
missing, and now and then a bar opens away from the last close (a gap). A few of the files
are bad on purpose, one of each kind in turn: header only, a bad number, a bad date, no
Close column, an empty file. The same seed gives the same files. The data is generated, not
committed: make it where you need it (build/ or /tmp).
"""
import argparse
import datetime
import os
import random

BAD_KINDS = ["header only", "bad number", "bad date", "no close column", "empty"]


def walk(rng, bars):
    """The symbol's bars as CSV lines (without the header)."""
    day = datetime.date(2000, 1, 3)
    price = rng.uniform(5, 300)
    vol = rng.uniform(0.005, 0.03)
    lines = []
    while len(lines) < bars:
        day += datetime.timedelta(days=1)
        if day.weekday() >= 5 or rng.random() < 0.02:  # weekends and a missing day now and then
            continue
        gap = rng.gauss(0, 4 * vol) if rng.random() < 0.03 else 0.0
        open_ = max(0.01, price * (1 + gap))
        close = max(0.01, open_ * (1 + rng.gauss(0, vol)))
        high = max(open_, close) * (1 + abs(rng.gauss(0, vol / 2)))
        low = min(open_, close) * (1 - abs(rng.gauss(0, vol / 2)))
        volume = int(rng.lognormvariate(13, 0.6))
        lines.append(f"{day.isoformat()},{open_:.2f},{high:.2f},{low:.2f},{close:.2f},{volume}")
        price = close
    return lines


def spoil(kind, lines):
    header = "Date,Open,High,Low,Close,Volume"
    if kind == "header only":
        return header + "\n"
    if kind == "empty":
        return ""
    if kind == "bad number":
        fields = lines[len(lines) // 2].split(",")
        fields[4] = "12.3.4"
        lines[len(lines) // 2] = ",".join(fields)
    elif kind == "bad date":
        lines[len(lines) // 3] = "2015-13-45" + lines[len(lines) // 3][10:]
    elif kind == "no close column":
        header = "Date,Open,High,Low,Last,Volume"
    return header + "\n" + "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--symbols", type=int, default=1000)
    parser.add_argument("--bars", type=int, default=2500)
    parser.add_argument("--bad", type=int, default=5)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.out, exist_ok=True)
    bad = set(rng.sample(range(args.symbols), min(args.bad, args.symbols)))
    kinds = iter(BAD_KINDS * (args.bad // len(BAD_KINDS) + 1))
    for i in range(args.symbols):
        lines = walk(rng, args.bars)
        text = (spoil(next(kinds), lines) if i in bad
                else "Date,Open,High,Low,Close,Volume\n" + "\n".join(lines) + "\n")
        with open(os.path.join(args.out, f"SYM{i:04d}.csv"), "w", newline="\n") as f:
            f.write(text)
    print(f"{args.symbols} files of {args.bars} bars in {args.out} ({len(bad)} bad), seed {args.seed}")


if __name__ == "__main__":
    main()
