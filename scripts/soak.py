#!/usr/bin/env python3
"""Soak run: every xmt-host study over 1,000,000 synthetic bars, its resident memory sampled.

    scripts/soak.py [--bars 1000000] [--every 50000] [--seed 1] [--build build/release]
                    [--no-build] [--only STUDY ...] [--page docs/dev/performance.md]

Each study runs in a process of its own (`xmt-host STUDY FILE --soak N`): it keeps only the
newest results, so what grows is the libraries' own memory. After the first tenth of the bars
every study's window is full; from there on its memory must be flat, or grow only by the
bytes per bar of the history it keeps (the "Memory per stored bar" table of the page). The
table goes into the page between its markers.
"""
import argparse
import csv
import datetime
import io
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SWING3 = str(ROOT / "testdata/patterns/PR_Swing3.txt")
BEGIN, END = "<!-- soak: scripts/soak.py -->", "<!-- end of soak -->"

# Resident bytes a stored record takes: the heap bytes of the "Memory per stored bar" table
# (usable size of the block and its slot in the record list) plus the allocator's 8-byte
# header of each block.
BAR = 56.0        # a bar manager bar (CBarMgrData)
PIVOT = 40.0      # a bar manager pivot (CBarMgrPivot, 16 bytes), per pivot
FIND_GEM = 56.0   # a FindGem bar (CFindGemPoint)
HOST_BAR = 72.0   # a bar of the simulated chart (the host's own bar history, FakeBar)
STUDIES = [
    # study, options, what grows with the bars: [(store, records per bar)], pivot histories
    ("zigzag", [], [("bar manager", BAR)], 1),
    ("pattern", ["--pattern", SWING3], [("bar manager x 2", 2 * BAR)], 2),
    ("pattern64", ["--pattern", SWING3],
     [("bar manager x 2", 2 * BAR), ("chart bars", HOST_BAR)], 2),
    ("rs", [], [("bar manager", BAR)], 1),
    ("bsp", [], [("chart bars", HOST_BAR)], 0),
    ("findgem", [], [("FindGem bars", FIND_GEM)], 0),
    ("rareavg", [], [], 0),
    ("trend", [], [], 0),
    ("prcnorm", [], [], 0),
    ("export", [], [], 0),
    ("loadcol", [], [], 0),
    ("utc", [], [("bar manager x 2", 2 * BAR)], 0),
    ("rrs", [], [], 0),
    ("patdetect", ["--pattern", SWING3], [], 0),
]
# Growth the resident memory shows besides the records: the bar lists grow in steps of
# 100,000 slots, and the allocator keeps pages of its own.
SLACK = 8.0
# The slope is fitted from a quarter of the bars on: by then every window is full and the
# simulator's start-up (reading the file, the first steps of its lists) is behind.
FROM = 0.25


def bars_file(path, count, seed):
    """`count` one-minute bars (09:30 to 15:59 on weekdays from 2010-01-04): a random walk."""
    rng = random.Random(seed)
    day, minute, price = datetime.date(2010, 1, 4), 0, 100.0
    out = io.StringIO()
    out.write("Date,Time,Open,High,Low,Close,Volume\n")
    for _ in range(count):
        if minute == 390:
            minute = 0
            day += datetime.timedelta(days=3 if day.weekday() == 4 else 1)
        t = 9 * 60 + 30 + minute
        minute += 1
        open_ = price
        close = max(1.0, open_ * (1 + rng.gauss(0, 0.001)))
        high = max(open_, close) * (1 + abs(rng.gauss(0, 0.0005)))
        low = min(open_, close) * (1 - abs(rng.gauss(0, 0.0005)))
        out.write(f"{day.isoformat()},{t // 60:02d}:{t % 60:02d},{open_:.2f},{high:.2f},"
                  f"{low:.2f},{close:.2f},{rng.randint(100, 5000)}\n")
        price = close
    path.write_text(out.getvalue())


def soak(host, study, options, bars, every, work, root):
    """[(bars, resident bytes, pivots)] of one study, and its wall time."""
    start = time.monotonic()
    run = subprocess.run([str(host), study, str(bars), "--soak", str(every), "--quiet",
                          "--root", str(root), "--out", str(work / "out" / study)]
                         + options, cwd=work, capture_output=True, text=True)
    seconds = time.monotonic() - start
    if run.returncode != 0:
        raise SystemExit(f"soak: {study} failed ({run.returncode}): {run.stderr.strip()}")
    rows = list(csv.DictReader(io.StringIO(run.stdout)))
    return [(int(r["bars"]), int(r["resident_bytes"]), int(r["pivots"])) for r in rows], seconds


def expected(stores, pivot_histories, samples):
    """Bytes a bar the kept records account for, with the pivots the study marked."""
    pivots_per_bar = samples[-1][2] / max(1, samples[-1][0])
    return sum(b for _, b in stores) + pivot_histories * PIVOT * pivots_per_bar


def verdict(samples, allowed):
    """(resident at a quarter, at the end, growth per bar from a quarter on, met?)"""
    total = samples[-1][0]
    tail = [s for s in samples if s[0] >= total * FROM]
    n = len(tail)
    mx = sum(s[0] for s in tail) / n
    my = sum(s[1] for s in tail) / n
    sxx = sum((s[0] - mx) ** 2 for s in tail)
    growth = sum((s[0] - mx) * (s[1] - my) for s in tail) / sxx if sxx else 0.0
    return tail[0][1], tail[-1][1], growth, growth <= allowed + SLACK


def section(results, args, load):
    mib = 1024.0 * 1024.0
    lines = [
        BEGIN, "## Soak", "",
        f"Written by `scripts/soak.py` (release build): each study of `xmt-host` over "
        f"{args.bars:,} synthetic one-minute bars (seed {args.seed}) in a process of its own, "
        f"keeping only its newest results (`--soak`), with the resident memory sampled every "
        f"{args.every:,} bars. From a quarter of the bars on, every study's window is full; "
        f"the growth per bar is the slope fitted through the samples from there. The resident "
        f"memory at the start is mostly the simulator's own copy of the bar file.", "",
        f"What may grow is the records a study keeps, at the resident bytes each takes: a bar "
        f"manager bar {BAR:.0f}, a pivot {PIVOT:.0f} (per pivot marked), a FindGem bar "
        f"{FIND_GEM:.0f} (the heap bytes of the table above plus the allocator's 8-byte "
        f"header), and where the study goes through the host study object, the simulated "
        f"chart's own bars ({HOST_BAR:.0f} bytes each, the platform's history, not the "
        f"library's). Some studies of the simulator feed a second instance for the chart (the "
        f"pattern studies' pivot shadow, XMT_UTC's unsmoothed line): \"x 2\". RareAvg's bar "
        f"history is emptied at each new day of intraday bars, so it stays flat here. The goal "
        f"allows {SLACK:g} bytes a bar besides (the bar lists grow 100,000 slots at a time; the "
        f"allocator keeps pages of its own).", "",
        f"Date: {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC. Load "
        f"average (1 minute) before: {load:.2f}.", "",
        "| study | what grows with the bars | pivots per bar | allowed per bar "
        "| resident at a quarter | resident at the end | growth per bar | goal | time |",
        "|---|---|---:|---:|---:|---:|---:|---|---:|",
    ]
    for study, stores, pivots, samples, seconds in results:
        allowed = expected(stores, pivots, samples)
        start, end, growth, met = verdict(samples, allowed)
        grows = ", ".join(name for name, _ in stores) + (" and pivots" if pivots else "")
        lines.append(f"| {study} | {grows or 'nothing'} | "
                     f"{samples[-1][2] / max(1, samples[-1][0]):.3f} | {allowed:.1f} bytes | "
                     f"{start / mib:.1f} MiB | {end / mib:.1f} MiB | {growth:.1f} bytes | "
                     f"{'met' if met else '**not met**'} | {seconds:.1f} s |")
    lines += ["", END]
    return lines


def write_page(page, lines):
    text = page.read_text()
    if BEGIN in text and END in text:
        head, rest = text.split(BEGIN, 1)
        text = head + "\n".join(lines) + rest.split(END, 1)[1]
    else:
        text = text.rstrip("\n") + "\n\n" + "\n".join(lines) + "\n"
    page.write_text(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bars", type=int, default=1_000_000)
    parser.add_argument("--every", type=int, default=50_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--build", default=str(ROOT / "build/release"))
    parser.add_argument("--no-build", action="store_true")
    parser.add_argument("--only", nargs="*", default=None)
    parser.add_argument("--page", default=str(ROOT / "docs/dev/performance.md"))
    args = parser.parse_args()
    build = Path(args.build).resolve()
    if not args.no_build:
        subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", "--preset", "release"], cwd=ROOT, check=True)
    host = build / "bin" / "xmt-host"
    work = build / "soak"
    work.mkdir(parents=True, exist_ok=True)
    bars = work / f"bars-{args.bars}-{args.seed}.csv"
    if not bars.exists():
        bars_file(bars, args.bars, args.seed)
    # The libraries' logs and files go to memory where it can (/dev/shm): what is measured
    # is memory, and a commit of the log to disk on every 21st line would only add time.
    shm = Path("/dev/shm")
    root = Path(tempfile.mkdtemp(prefix="xmt-soak-", dir=shm if shm.is_dir() else work))
    load = os.getloadavg()[0]
    results = []
    for study, options, stores, pivots in STUDIES:
        if args.only and study not in args.only:
            continue
        samples, seconds = soak(host, study, options, bars, args.every, work, root)
        allowed = expected(stores, pivots, samples)
        start, end, growth, met = verdict(samples, allowed)
        print(f"{study:10} {start / 2**20:8.1f} MiB -> {end / 2**20:8.1f} MiB, "
              f"{growth:6.1f} bytes a bar (allowed {allowed:.1f} + {SLACK:g}), "
              f"{seconds:6.1f} s, {'met' if met else 'NOT MET'}", flush=True)
        results.append((study, stores, pivots, samples, seconds))
    shutil.rmtree(root, ignore_errors=True)
    if not args.only:
        write_page(Path(args.page), section(results, args, load))
    return 0


if __name__ == "__main__":
    sys.exit(main())
