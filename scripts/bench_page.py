#!/usr/bin/env python3
"""Writes docs/dev/performance.md from the results scripts/run-bench.sh collects.

    bench_page.py <results folder> <page>

The folder holds the Google Benchmark JSON files (<program>.json), history_memory.txt,
cold_start.txt and the load averages before and after the runs. Figures are processor time
per bar or call (the machine may be shared; wall-clock time is shown only where waiting is
the point, the trace log's commits). Each figure is set against its goal; a goal that is not
met carries the reason and what it would take.
"""
import json
import os
import platform
import re
import statistics
import subprocess
import sys
from datetime import datetime, timezone
from pathlib import Path

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load_runs(folder):
    """name -> run (first repetition's iteration run) over every JSON file."""
    runs = {}
    for file in sorted(os.listdir(folder)):
        if not file.endswith(".json"):
            continue
        with open(os.path.join(folder, file)) as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
                continue
            name = re.sub(r"/iterations:\d+|/real_time|/min_time:[0-9.]+", "", b["name"])
            runs.setdefault(name, b)
    return runs


def per_item_ns(run, wall=False):
    """Processor (or wall-clock) nanoseconds per processed item (bar, call, line)."""
    unit = UNIT_NS[run.get("time_unit", "ns")]
    cpu = run["cpu_time"] * unit
    real = run["real_time"] * unit
    ips = run.get("items_per_second")
    if not ips:
        return real if wall else cpu
    # items_per_second is computed from the time the case measures (wall with UseRealTime).
    measured = real if "/real_time" in run["name"] else cpu
    items = ips * measured / 1e9
    return (real if wall else cpu) / items


def fmt_ns(ns):
    if ns is None:
        return "n/a"
    if ns >= 999.995e3:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 999.5:
        return f"{ns / 1e3:.2f} µs"
    return f"{ns:.0f} ns"


def fmt_rate(ns):
    if not ns:
        return "n/a"
    per_s = 1e9 / ns
    if per_s >= 1e6:
        return f"{per_s / 1e6:.2f} M"
    return f"{per_s / 1e3:.0f} k"


def verdict(ok):
    return "met" if ok else "**not met**"


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    cpus = os.cpu_count()
    mem = ""
    try:
        with open("/proc/meminfo") as f:
            kb = int(f.readline().split()[1])
            mem = f", {kb / 1024 / 1024:.0f} GiB memory"
    except (OSError, ValueError, IndexError):
        pass
    compiler = ""
    try:
        compiler = subprocess.run(["c++", "--version"], capture_output=True, text=True).stdout.splitlines()[0]
    except (OSError, IndexError):
        pass
    return f"{model}, {cpus} logical processors{mem}; {platform.system()} {platform.release()}; {compiler}"


def read_text(folder, name):
    try:
        with open(os.path.join(folder, name)) as f:
            return f.read().strip()
    except OSError:
        return ""


# --- sections ---------------------------------------------------------------------------

# Why a case misses its goal and what meeting it would take; shown only when it does.
# "{bare}" stands for the bare loop's time per bar of the same run.
FILE_WHY = ("Every call opens the export's file, appends the line and closes the file again "
            "(nothing stays open between calls, so nothing is lost when the platform stops); "
            "the bare loop writes into a file it keeps open. Meeting the goal would take keeping "
            "the file open across the calls of a run, which gives up that guarantee.")
FRAME_WHY = {
    "FindGem": "Every XMT_FindGemAdd and XMT_FindGemCalc call writes a trace line (\"Add Max=...\" "
               "and \"ret=...\"), so a bar costs two log lines with their share of the commits to "
               "disk; the bare loop writes none. The lines are part of the functions' behaviour. "
               "Meeting the goal would take a log whose commits leave the calling thread (see the "
               "trace log table) or leaving these level-0 lines out by a setting.",
    "SaveDataToCsv": FILE_WHY,
    "SaveDataToCsv2": FILE_WHY,
    "SaveDataToTxt": FILE_WHY,
    "ZigZag": "The pair's whole work is {bare} a bar on daily bars, and its frame is of the same "
              "size: two look-ups of the ID a bar (one in each export), the date's conversion and "
              "the scaling of four prices. The ratio sits at the goal and the machine's noise moves "
              "it either side. Meeting it with room would take one look-up a bar (the add-bar call "
              "remembering the instance it found for the calc call of the same ID).",
    "RsCheck": "XMT_RS_ChkPiv writes a trace line for every pivot it confirms (\"NewPiv, ...\"), and "
               "with a window of 10 bars that is every few bars; the bare loop writes none. Meeting "
               "the goal would take a log whose commits leave the calling thread.",
    "PatternCalc": "The bare loop's whole work is {bare} a bar. The frame adds two look-ups of "
                   "the instance by its ID a bar (one in each export), the look-up of the loaded "
                   "pattern by name and ID (each one probe of a hash index), the date's conversion "
                   "and the scaling of four prices. Meeting the goal would take the calc call "
                   "remembering the instance and pattern it found last for its ID, which saves "
                   "hashing the texts again but not the rest of the frame.",
    "Pattern64": "XMT_PATTERN64 reads its 50 parameters and writes its 100 result values through the "
                 "study object one element at a time (select the element, then get or put a "
                 "VARIANT and convert it): about 300 host calls a bar besides the ten that read the "
                 "bar, against a bare loop of {bare} a bar. About half of the export's time in a "
                 "profile is the in-memory study object's own work (it counts every call and "
                 "converts every value), which a real host has in a form of its own. Meeting the "
                 "goal would take fewer host calls a bar: reading only the four parameters used and "
                 "writing only the slots the called function can fill, which changes what the "
                 "study's arrays see.",
    "BSP": "XMT_BSP writes a trace line on every call (\"XMT_BSPCalc1 pBSP=... ELVal=...\"), so every "
           "bar costs a log line with its share of the commits to disk, which take most of the "
           "time in a profile; it also reads the bar's ticks and three parameters and writes five "
           "values through the study object. The bare loop computes the same pressure and "
           "averages from ticks already read, in {bare} a bar. Meeting the goal would take a "
           "log whose commits leave the calling thread (see the trace log table) or leaving this "
           "level-1 line out by a setting.",
    "LoadCol": "Besides handing out the value, each call builds the bar's date-time from the block, "
               "compares the file name with the loaded one and copies the field through two "
               "allocations; the bare loop reads the field into a fixed buffer. Meeting the goal "
               "would take reading the field in place.",
}
INSTANCE_WHY = (
    "Two things grow with the number of instances. The look-up is one probe of a flat hash "
    "table (`hostbridge/folded_key_index.h`): each 64-byte slot holds the key's hash, the key "
    "text itself (up to 36 bytes) and the instance, so a call that finds its instance reads one "
    "slot, which at 10,000 instances is one cache miss (the table no longer fits the caches). "
    "The larger share is the instances' own data (bars, pivots, averages, regression sums), "
    "which no longer stays in the processor caches when 10,000 of them take turns: the bare "
    "twin, which holds the same instances in a plain array with no look-up at all, shows that "
    "share. Meeting the goal would take instances laid out so that one call touches a few cache "
    "lines (an instance's recent bars and running sums in one block instead of one heap record "
    "per bar), a change to the instance records of each library rather than to the look-up "
    "rule, which stays first match by ID.")


def pair_table(runs, pairs):
    rows = ["| export | time per bar | bars per second | bare loop | ratio | goal ≤ 2x |",
            "|---|---:|---:|---:|---:|---|"]
    notes = {}  # reason -> the labels it applies to, so that a shared reason stands once
    for label, key in pairs:
        e, b = runs.get(f"BM_{key}_export"), runs.get(f"BM_{key}_bare")
        if not e or not b:
            rows.append(f"| {label} | n/a | | | | not run |")
            continue
        te, tb = per_item_ns(e), per_item_ns(b)
        ratio = te / tb if tb else float("inf")
        ok = ratio <= 2.0
        rows.append(f"| {label} | {fmt_ns(te)} | {fmt_rate(te)} | {fmt_ns(tb)} | {ratio:.2f}x | {verdict(ok)} |")
        if not ok and key in FRAME_WHY:
            notes.setdefault(FRAME_WHY[key].replace("{bare}", fmt_ns(tb)), []).append(label)
    lines = [f"- {' and '.join([', '.join(labels[:-1]), labels[-1]] if len(labels) > 1 else labels)}: {why}"
             for why, labels in notes.items()]
    return rows + ([""] + lines if lines else [])


_instance_why_shown = [False]  # the reason stands once on the page, at its first table


def instance_table(runs, cases):
    rows = ["| export | 1 instance | 100 | 10,000 | 10,000 / 1 | bare twin 10,000 / 1 | goal ≤ 1.5x |",
            "|---|---:|---:|---:|---:|---:|---|"]
    miss = False
    for label, key in cases:
        t = [runs.get(f"BM_{key}_instances/{n}") for n in (1, 100, 10000)]
        if not all(t):
            rows.append(f"| {label} | n/a | | | | | not run |")
            continue
        ns = [per_item_ns(r) for r in t]
        ratio = ns[2] / ns[0]
        bare = [runs.get(f"BM_{key}_instances_bare/{n}") for n in (1, 10000)]
        bare_ratio = f"{per_item_ns(bare[1]) / per_item_ns(bare[0]):.2f}x" if all(bare) else "n/a"
        ok = ratio <= 1.5
        miss |= not ok
        rows.append(f"| {label} | {fmt_ns(ns[0])} | {fmt_ns(ns[1])} | {fmt_ns(ns[2])} | {ratio:.2f}x | {bare_ratio} | {verdict(ok)} |")
    if miss:
        rows += ["", "The reason is the one given under the first instance table above."
                 if _instance_why_shown[0] else INSTANCE_WHY]
        _instance_why_shown[0] = True
    return rows


def zigzag_10000_text(runs):
    r = runs.get("BM_ZigZag_instances/10000")
    return fmt_ns(per_item_ns(r)) if r else "the figure of the instance table (not run this time)"


def history_table(runs, cases):
    rows = ["| export | 1,000 bars | 100,000 | 1,000,000 | 1,000,000 / 100,000 | goal: flat |",
            "|---|---:|---:|---:|---:|---|"]
    notes = []
    for label, key in cases:
        t = [runs.get(f"BM_{key}_history/{n}") for n in (1000, 100000, 1000000)]
        if not all(t):
            rows.append(f"| {label} | n/a | | | | not run |")
            continue
        ns = [per_item_ns(r) for r in t]
        ratio = ns[2] / ns[1]
        ok = ratio <= 1.5
        rows.append(f"| {label} | {fmt_ns(ns[0])} | {fmt_ns(ns[1])} | {fmt_ns(ns[2])} | {ratio:.2f}x | {verdict(ok)} |")
        if ns[1] > 1.5 * ns[0]:
            notes.append(f"- {label}: a thousand bars (with their pivots) stay in the processor's "
                         "first caches; from 100,000 bars on they do not, and the cost per bar is "
                         "flat from there to a million.")
    return rows + ([""] + notes if notes else [])


def memory_table(text):
    rows = ["| history | record | allocations per bar | heap bytes per bar |",
            "|---|---:|---:|---:|"]
    names = {"bar_manager": "bar manager (`CBarMgrData`)", "rare_avg": "RareAvg (`CRareAvgBar`)",
             "find_gem": "FindGem (`CFindGemPoint`)"}
    for m in re.finditer(r"history_memory (\S+) bars=(\d+) record=(\d+) allocs_per_bar=([\d.]+) "
                         r"bytes_per_bar=([\d.]+)", text):
        name, _, record, allocs, per_bar = m.groups()
        rows.append(f"| {names.get(name, name)} | {record} bytes | {allocs} | {per_bar} |")
    return rows


def log_table(runs):
    rows = ["| commit rule | wall time per line | processor time per line | goal ≤ 2 µs (default rule) |",
            "|---|---:|---:|---|"]
    cases = [("default (a commit every 21 lines or 10 s)", "BM_LogLine_default", True),
             ("\"LogFileFlushOnEach\"=YES (a commit every line)", "BM_LogLine_flushEach", False),
             ("default, log on a memory file system", "BM_LogLine_memoryDisk", False)]
    met = None
    walls = {}
    for label, key, goal in cases:
        r = runs.get(key)
        if not r:
            rows.append(f"| {label} | n/a | | |")
            continue
        wall, cpu = per_item_ns(r, wall=True), per_item_ns(r)
        walls[key] = wall
        mark = ""
        if goal:
            met = wall <= 2000
            mark = verdict(met)
        rows.append(f"| {label} | {fmt_ns(wall)} | {fmt_ns(cpu)} | {mark} |")
    if met is False:
        each, memory = walls.get("BM_LogLine_flushEach"), walls.get("BM_LogLine_memoryDisk")
        if each and memory:
            commit = max(each - memory, 0)
            cost = (f"on this disk a commit takes about {fmt_ns(commit)} (the second row "
                    f"commits every line), so the average line carries a 21st of one, about "
                    f"{fmt_ns(commit / 21)}, besides the {fmt_ns(memory)} that formatting and "
                    f"writing it take (third row, on a memory file system where a commit costs "
                    f"next to nothing)")
        else:
            cost = "the line that triggers a commit waits for the disk"
        rows += ["",
                 "The default rule commits the file to disk (fdatasync here, `_commit` on Windows) "
                 f"after every 21st line, and the line that triggers it waits for the disk: {cost}. "
                 "Meeting the goal on a real disk would take moving the commit off the calling "
                 "thread (a small commit thread woken every 21 lines) or committing by time only. "
                 "Both change when a line is known to be on disk, and inside the platform's process "
                 "such a thread would also have to end safely whenever the platform unloads the "
                 "library; the log keeps its rule."]
    return rows


def cold_table(text):
    rows = ["| library | load | first call, wall (median of 5) | first call, processor | "
            "first call of the first run, wall | goal < 5 ms |",
            "|---|---:|---:|---:|---:|---|"]
    by_lib = {}
    for m in re.finditer(r"cold_start (\S+) load_us=(\d+) first_call_us=(\d+)"
                         r"(?: first_call_cpu_us=(\d+))?", text):
        by_lib.setdefault(m.group(1), []).append(
            (int(m.group(2)), int(m.group(3)), int(m.group(4) or m.group(3))))
    notes = []
    for lib, samples in by_lib.items():
        load = statistics.median(x[0] for x in samples)
        wall = statistics.median(x[1] for x in samples)
        cpu = statistics.median(x[2] for x in samples)
        ok_wall = load + wall < 5000
        ok_cpu = load + cpu < 5000
        mark = "met" if ok_wall else ("met in processor time" if ok_cpu else "**not met**")
        rows.append(f"| {lib} | {fmt_ns(load * 1e3)} | {fmt_ns(wall * 1e3)} | {fmt_ns(cpu * 1e3)} | "
                    f"{fmt_ns(samples[0][1] * 1e3)} | {mark} |")
        if not ok_wall:
            notes.append(f"- {lib}: the first call reads its settings and writes back the ones "
                         "missing, makes its folders and opens the log, committing its opening line "
                         "to disk at once; each of these file operations waits its turn on the "
                         "shared machine, which is where the wall-clock time beyond the processor "
                         "time goes." + ("" if ok_cpu else " Meeting the goal would take fewer "
                         "settings rewrites on the first call (one write of the file for all "
                         "missing keys)."))
    return rows + ([""] + notes if notes else [])


def rrs_table(runs):
    rows = ["| scope | XMT_RRS | direct | faster by | goal |", "|---:|---:|---:|---:|---|"]
    goals = {100: (10, 15e3), 500: (50, 50e3)}
    for scope in (10, 100, 500):
        r, d = runs.get(f"BM_RrsPerCall/{scope}"), runs.get(f"BM_DirectPerCall/{scope}")
        if not r or not d:
            continue
        tr, td = per_item_ns(r), per_item_ns(d)
        goal = ""
        if scope in goals:
            factor, limit = goals[scope]
            goal = (f"at least {factor}x, at most {fmt_ns(limit)}: "
                    f"{verdict(td / tr >= factor and tr <= limit)}")
        rows.append(f"| {scope} | {fmt_ns(tr)} | {fmt_ns(td)} | {td / tr:.0f}x | {goal} |")
    return rows


def utc_table(runs):
    rows = ["| look-back N, smoothing L | time per bar | bars per second |", "|---|---:|---:|"]
    for key, label in (("50/10", "50, 10"), ("200/10", "200, 10")):
        r = runs.get(f"BM_UtcPerBar/{key}")
        if r:
            t = per_item_ns(r)
            rows.append(f"| {label} | {fmt_ns(t)} | {fmt_rate(t)} |")
    return rows


RRS_HOW = """How XMT_RRS stays fast: the slope between two points depends only on those two points, so
the library keeps, for each point of the window, the slopes to every other point in ascending
order. When the window slides, every remaining point trades its slope to the point that leaves
for one to the point that enters (two binary searches, run in lockstep over all rows so that
their memory loads overlap, and one move); the new point's row is built and radix-sorted; the
result is the median, by selection, of the per-point medians read from the middle of each row.
Slopes are kept as integer order keys of the floats (NaN after every number), so the numbers
are exactly those of the direct computation (`BM_RrsSameAsDirect` in `bench/rrs_bench.cpp`
compares every call both ways). Windows longer than 2048 points keep no rows (their memory
would grow with the square of the scope) and are computed directly, by selection. A history
keeps its window only: c (c - 1) four-byte keys at scope c (1 MB at scope 500), whatever the
number of bars fed; after its window fills a call allocates nothing."""


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: bench_page.py <results folder> <page>")
    folder, page = sys.argv[1], sys.argv[2]
    runs = load_runs(folder)
    memory = read_text(folder, "history_memory.txt")
    cold = read_text(folder, "cold_start.txt")
    # The date of the measurements (when the runs began), not of this rewrite of the page.
    started = Path(folder) / "load_before.txt"
    when = (datetime.fromtimestamp(started.stat().st_mtime, timezone.utc) if started.exists()
            else datetime.now(timezone.utc))
    now = when.strftime("%Y-%m-%d %H:%M UTC")
    load = [read_text(folder, f"load_{w}.txt") for w in ("before", "after")]
    load_avg = [re.search(r"load average: ([\d.]+)", t) for t in load]
    load_text = ", ".join(m.group(1) for m in load_avg if m) or "unknown"
    loads = [float(m.group(1)) for m in load_avg if m]
    if loads and max(loads) > 1.5:
        busy_note = ("The machine was busy with other work while these figures were taken, so "
                     "wall-clock times exceed the processor times and vary from run to run.")
    else:
        busy_note = "Nothing else of note ran on the machine while these figures were taken."

    out = []
    out += ["# Performance", "",
            "Written by `scripts/run-bench.sh`, which builds the release preset (`-O3`), runs the",
            "benchmark programs of `bench/` (Google Benchmark), the memory test and the cold starts,",
            "and rewrites this page. Every export is loaded by file name and called as the platform",
            "calls it, bar by bar over the sample files of `testdata/` (or over synthetic one-minute",
            "bars for the scaling cases). \"Bare loop\" is the same computation on the feature classes",
            "in the same run, without the frame: no registry look-up, no conversion of the host's",
            "numbers, no logging.", "",
            f"Machine: {machine()}.  ",
            f"Date: {now}. Load average (1 minute) before and after the runs: {load_text}.", "",
            busy_note,
            "The tables give processor time (except for the trace log, where waiting for the disk is",
            "the point), and the goals are judged on ratios measured in the same run wherever a goal",
            "is a ratio.", ""]

    out += ["## XMT_PATTERN", "", "Per bar, against the bare loop (`ttrc_daily.csv` for the zig-zag pair and the",
            "rule-file exports, `usdchf_30min.csv` for the support/resistance check; one",
            "recalculation of the chart per iteration, so the zig-zag and support/resistance bars land",
            "on their old records as after a platform recalculation). The rule-file exports evaluate",
            "`testdata/patterns/PR_Swing3.txt` on every new pivot (windows 5/5); XMT_PATTERN_AddBar",
            "always appends, so each iteration adds the file's bars to the instance again, and the",
            "bare loop appends alike (100 passes each, 40 for XMT_PATTERN64, so that both end on",
            "histories of the same length). XMT_PATTERN64 reads the bar and its two arrays through the",
            "in-memory study object of `hostbridge/testing`, whose own work counts in its time",
            "(`bench/pattern_rules_bench.cpp`):", ""]
    out += pair_table(runs, [("XMT_ZZ_AddBar + XMT_ZZ_CalcPiv", "ZigZag"), ("XMT_RS_ChkPiv", "RsCheck"),
                             ("XMT_PATTERN_AddBar + XMT_PATTERN_CalcPat", "PatternCalc"),
                             ("XMT_PATTERN64", "Pattern64")])
    out += [""]
    out += ["Instances interleaved (call k goes to instance k mod N; each instance warmed up with 12",
            "bars outside the timing):", ""]
    out += instance_table(runs, [("XMT_ZZ_AddBar + XMT_ZZ_CalcPiv", "ZigZag")])
    out += ["", "Time per bar with the history already holding N bars:", ""]
    out += history_table(runs, [("XMT_ZZ_AddBar + XMT_ZZ_CalcPiv", "ZigZag")])

    out += ["", "## XMT_SIGNALS", "", "Per bar, against the bare loop (`usdchf_30min.csv`; the bar exports over its first",
            "2,000 bars, each line checked against the bare loop's before the timing; XMT_LoadCol",
            "over a column file of the same bars, loaded again on every pass as after a platform",
            "recalculation; XMT_BSP over `ttrc_daily.csv` through the in-memory study object, with",
            "the volume split into up and down ticks by where the close lies in the bar's range):", ""]
    out += pair_table(runs, [("XMT_RareAvg", "RareAvg"), ("XMT_TrendReversal", "TrendReversal"),
                             ("XMT_FindGemAdd + XMT_FindGemCalc", "FindGem"),
                             ("XMT_BSP (with XMT_BSPCalc's pressure)", "BSP"),
                             ("XMT_SaveDataToCsv", "SaveDataToCsv"),
                             ("XMT_SaveDataToCsv2", "SaveDataToCsv2"),
                             ("XMT_SaveDataToTxt", "SaveDataToTxt"),
                             ("XMT_LoadCol", "LoadCol")])
    out += ["", "Instances interleaved:", ""]
    out += instance_table(runs, [("XMT_RareAvg", "RareAvg"), ("XMT_TrendReversal", "TrendReversal")])
    out += ["", "Time per bar with the history already holding N bars:", ""]
    out += history_table(runs, [("XMT_RareAvg", "RareAvg"), ("XMT_TrendReversal", "TrendReversal")])
    out += ["", "XMT_BSPCalc has no row of its own: no export hands a study the instance it takes, so a",
            "study gets its pressure through XMT_BSP, which runs that computation on every new bar and",
            "whose row includes it. The sound and speech calls and the small functions do no per-bar",
            "work on a history."]

    out += ["", "## XMT_MOMENTUM", "", "XMT_UTC per bar against the bare loop (`usdchf_30min.csv`, look-back 50, no",
            "smoothing):", ""]
    out += pair_table(runs, [("XMT_UTC", "Utc")])
    out += ["", "XMT_UTC per bar with smoothing (`bench/momentum_bench.cpp`):", ""]
    out += utc_table(runs)
    out += ["", "Instances interleaved (XMT_RRS histories told apart by nExtra, scope 10):", ""]
    out += instance_table(runs, [("XMT_UTC", "Utc"), ("XMT_RRS", "Rrs")])
    out += ["", "Time per bar with the history already holding N bars (XMT_RRS at scope 100):", ""]
    out += history_table(runs, [("XMT_UTC", "Utc"), ("XMT_RRS", "Rrs")])
    out += ["", "XMT_RRS per call against the direct computation of the same slopes",
            "(`bench/rrs_bench.cpp`: each call appends one close of `usdchf_30min.csv` to a history",
            "of daily bars after a warm-up of twice the scope, so every call slides a full window;",
            "\"direct\" computes all c (c - 1) slopes of the window and one sort per point plus one",
            "for the medians):", ""]
    out += rrs_table(runs)
    out += ["", RRS_HOW]

    out += ["", "## Memory per stored bar", "",
            "Counted at the heap by `bench/history_memory_test.cpp` (every malloc, calloc, realloc",
            "and free of the test program wrapped at link time, with the allocator's usable size of",
            "each block) while a history grows by 200,000 bars: the record, its slot in the record",
            "list and the list's growth. The allocator adds its own 8-byte header to each block.", ""]
    out += memory_table(memory)
    out += ["",
            "- The bar manager's bar (32 bytes: date-time, bar number, five prices) and RareAvg's bar",
            "  (20 bytes: three values, date, time) carry no padding their layout does not need.",
            "- A FindGem bar kept its five values in a number array of its own (a second allocation",
            "  of ten 8-byte slots): 136 bytes and two allocations a bar. It now holds them in place:",
            "  28 bytes, one allocation, 48 bytes a bar, with the same values.",
            "- XMT_RRS keeps no per-bar history, only its window (see above).",
            "- The bar lists reserve 100,000 slots at a time. Those slots now take memory only as",
            "  bars arrive (a fresh zeroed block from the system instead of zeroing it by hand), so",
            "  10,000 instances of a few bars no longer touch 800 KB each: that is what took the",
            "  10,000-instance zig-zag case from about 125 µs a call to "
            f"{zigzag_10000_text(runs)} (the instance table above)."]

    out += ["", "## Trace log", "", "Time per line (`bench/log_bench.cpp`, a 70-character FindGem line through `LogTrace`):", ""]
    out += log_table(runs)

    out += ["", "## Cold start", "",
            "Loading each library by file name and its first call (a new instance: settings read and",
            "written back, folders made, log opened), each in a fresh process (`bench/cold_start.cpp`,",
            "5 runs; the first run starts without a settings file):", ""]
    out += cold_table(cold)
    out.append("")
    # The sections of scripts/scan-bench.py and scripts/soak.py come from scripts this one
    # does not run: they are kept as they stand.
    old = Path(page).read_text() if Path(page).exists() else ""
    for kept in (r"<!-- scan benchmark: .*?<!-- end of scan benchmark -->",
                 r"<!-- soak: .*?<!-- end of soak -->"):
        section = re.search(kept, old, re.S)
        if section:
            out += [section.group(0), ""]
    with open(page, "w") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
