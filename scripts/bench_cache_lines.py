"""The performance page's table of the cache lines one call touches per export.

Facts about the records and what a call reads, not figures of a run: bench_page.py puts this
text on the page as it stands. Keep it true to the records (sizes from sizeof and offsetof of
the release build) when their layout changes.
"""

CACHE_LINES = [
    "## Cache lines a call touches",
    "",
    "What one call reads and writes once an instance holds its window (a new bar each call, as",
    "in the instance tables), in 64-byte lines: the records' parts from their layouts (`sizeof`",
    "and `offsetof`), the whole checked by tracing every load and store of one round of calls",
    "over 64 instances (valgrind's lackey, `--trace-mem=yes`) and counting, for each call, the",
    "distinct lines that at most two of the other instances' calls touch as well (the",
    "instance's own lines; the stack and what all instances share are left out).",
    "",
    "| export | look-up | instance record | bars and list slots | averages and windows | own lines, traced |",
    "|---|---|---|---|---|---:|",
    "| XMT_ZZ_AddBar + XMT_ZZ_CalcPiv | one 64-byte index slot (both calls) and the ID text | "
    "`CBarMgr`, 640 bytes: 1 line (bar number, flag word, last date-time, external block, bar "
    "list); 2 when the pivot list is read (it starts the fourth line) | the new bar; the pivot "
    "test reads up to left + right + 1 bars (11 at 5/5), each a 32-byte heap record of its "
    "own, and their list slots (2 or 3 lines) | none | about 12 |",
    "| XMT_RareAvg | index slot and ID text | `CRareAvgSet`, 256 bytes: 4 lines (dates, "
    "windows, bar list, the three averages; the key fields after them) | the four fits read "
    "the L + 1 newest bars (21 at L = 20), 20-byte heap records, and their list slots "
    "(3 or 4 lines) | the change ring (30 floats) and the final and start-up rings with their "
    "weights (6 and 9 floats each): 6 to 8 lines | about 39 |",
    "| XMT_TrendReversal | index slot and ID text | `CTrendRevSym`, 128 bytes: 1 line (last "
    "date-time, averaging kind, list of averages) | none | the 12 averages side by side in "
    "one block of 576 bytes (10 lines) and their list slots (2 lines); their rings of "
    "10 to 120 floats (780 in all, about 49 lines), each summed in full by every add | "
    "about 50 |",
    "| XMT_UTC | index slot and the symbol text | `CBarMgr`: 2 lines (the bar fields; value "
    "slots 0 and 1 and object slot 0 in the second) | the new bar and the N bars before it "
    "(N = 50: 50 heap records) and their list slots (7 or 8 lines) | the smoothing stack (1 line; "
    "no ring without smoothing) | about 64 |",
    "| XMT_RRS | its own index by the four key numbers (one 8-byte slot) | the history and "
    "its window's bookkeeping | none (no bar history) | the window's values and its rows "
    "of sorted slopes (90 four-byte keys at scope 10) | about 20 |",
    "",
    "The instance records are aligned to a cache line and hold the fields every call touches",
    "first; texts, settings and the lists nothing fills come after them, and the three",
    "records' tests check at compile time that those fields stay within their lines. With the",
    "fields in their former order, on the allocator's 16-byte boundaries, the same calls touched 3 to 7",
    "lines of `CBarMgr` (zig-zag) and 5 or 6 (XMT_UTC), 4 or 5 of `CRareAvgSet`, and 1 or 2",
    "of `CTrendRevSym` plus 12 to 24 for its averages, each then a heap record of its own.",
    "What grows with the instances now is the bars and the windows: XMT_UTC reads 50 bar",
    "records a call and the pivot test and RareAvg's fits one record a bar likewise, each",
    "record a heap block of its own; a manager's bars kept side by side in blocks would put",
    "two 32-byte bars in a line.",
]
