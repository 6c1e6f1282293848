/* Plain C declarations of the functions XMT_PATTERN exports.
 *
 * The trading platform, the host simulator and the export-level tests call these by name.
 * Every function is a plain C function with the platform's one 64-bit calling convention.
 * Besides the declarations, each export has a pointer type (<name>_fn) for callers that
 * resolve the functions at run time.
 *
 * Slot blocks: result blocks are arrays of 8-byte slots owned by the caller. A function
 * writes a single-precision value into the first four bytes of a slot and never touches the
 * other four; XmtSlot spells that layout. The caller supplies as many slots as the function
 * documents; a null block is accepted and simply not written.
 *
 * Prices come as integers together with a price scale (price = integer / scale, in single
 * precision); the pointers are read only. Dates are the host's form
 * (year - 1900) * 10000 + month * 100 + day, times HHMM.
 */
#ifndef XMT_PATTERN_H
#define XMT_PATTERN_H

#include "hostbridge/xmt_slot.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Feeds one bar to the zig-zag instance `id` (found without regard to case, created on
 * first use). progress < 0 updates the outside progress window every hundredth bar.
 * barNumber >= 0: bars are matched by that number and the same-direction pivot filter is
 * on; barNumber < 0: its magnitude is the bar number and the filter is off. A bar number
 * that goes back restarts the instance's pivots.
 * Result: the bar index (0-based), -1 date below 900000, -2 null id.
 * A null price pointer reads as 0. */
XMT_EXPORT int XMT_ZZ_AddBar(int progress, const char* id, int date, int time, int barNumber,
                             int priceScale, const int* open, const int* high, const int* low,
                             const int* close, int volume);
typedef int (*XMT_ZZ_AddBar_fn)(int, const char*, int, int, int, int, const int*, const int*,
                                const int*, const int*, int);

/* As XMT_ZZ_AddBar, but every bar is appended: barNumber >= 0 is ignored (bars are numbered
 * 1, 2, 3, ... and the filter is on); barNumber < 0 gives its magnitude and the filter off. */
XMT_EXPORT int XMT_PATTERN_AddBar(int progress, const char* id, int date, int time,
                                  int barNumber, int priceScale, const int* open,
                                  const int* high, const int* low, const int* close,
                                  int volume);
typedef int (*XMT_PATTERN_AddBar_fn)(int, const char*, int, int, int, int, const int*,
                                     const int*, const int*, const int*, int);

/* Tests the bar `right` bars before the newest one for a pivot (barPos is the add-bar result
 * + 1; left and right are window lengths: below 1 -> 2, above 100 -> 10).
 * Result: 0 none; +1 / -1 pivot high / low confirmed; +2 / -2 the same with an older pivot
 * of that direction dropped; -2 also for a null id.
 * Result block, 12 slots, written only when a pivot is confirmed:
 *   0-3  new pivot: bars since, price, direction (+1/-1), bar index
 *   4-7  dropped pivot, same fields (only when one was dropped)
 *   8-11 newest pivot of the other direction (slot 8 is 0 when there is none) */
XMT_EXPORT int XMT_ZZ_CalcPiv(int unused, const char* id, int barPos, int left, int right,
                              XmtSlot* result);
typedef int (*XMT_ZZ_CalcPiv_fn)(int, const char*, int, int, int, XmtSlot*);

/* Size of the error buffer of XMT_PATTERN_CalcPat: at most this many bytes are written,
 * the terminating zero included (longer messages are cut). */
#define XMT_PATTERN_ERR_BUF_SIZE 1000

/* Runs the pivot test for the bar at barPos (as XMT_ZZ_CalcPiv, windows adjusted the same
 * way) and, when a new pivot is confirmed, matches the rule file "PR_<name>.txt" of the
 * folder C:/Database/DO_DER against the newest pivots. The file is read once per pattern
 * name and id; barPos 1 (the first bar of a calculation) makes every instance read its files
 * again.
 * Result: -2 null id; -5 the pattern cannot be loaded (err, when not null, receives the
 * message, at most XMT_PATTERN_ERR_BUF_SIZE bytes); 1 a new pivot that is the first one or
 * replaced an older pivot of its direction (nothing written); 0 no evaluation yet (nothing
 * written); otherwise m + 1, the number of slots written: slot 0 is 100 when the last
 * evaluation found the pattern, else 0, slots 1..m the pattern's outputs in file order.
 * Formula errors show only in the trace log. */
XMT_EXPORT int XMT_PATTERN_CalcPat(int unused, const char* id, int barPos, int left, int right,
                                   XmtSlot* result, const char* name, char* err);
typedef int (*XMT_PATTERN_CalcPat_fn)(int, const char*, int, int, int, XmtSlot*, const char*,
                                      char*);

/* Feeds one bar of a single price series (open, high, low and close all *price / priceScale;
 * p1, p2 and p3 are not read) to instance `id`, matched by bar number (barNumber < 0 also
 * updates the progress window every hundredth bar; its magnitude is the bar number), then
 * tests the bar `right` bars back for a pivot (left and right clamped to 1..100) and checks
 * the four newest pivots.
 * Result: -1 date below 900000; -2 null id; 1 rising (newest a high above the previous high,
 * the low between above the low before); -1 falling (the mirror image); 0 no pivot, fewer
 * than four pivots or neither structure; -102 the new pivot is the first one.
 * Result block, 20 slots: with no pivot confirmed all 20 are set to 0; otherwise
 *   0-3  new pivot: bars since, price, direction (+1/-1), bar index
 *   4-7  dropped older pivot of the same direction (only when one was dropped)
 *   8-11 newest pivot of the other direction (slot 8 is 0 when there is none)
 *   12   2 when an older pivot was dropped, else 1
 * (slots 8-12 are not written for the first pivot). */
XMT_EXPORT int XMT_RS_ChkPiv(const char* id, int date, int time, int barNumber, int priceScale,
                             const int* p1, const int* p2, const int* p3, const int* price,
                             int volume, int left, int right, XmtSlot* result);
typedef int (*XMT_RS_ChkPiv_fn)(const char*, int, int, int, int, const int*, const int*,
                                const int*, const int*, int, int, int, XmtSlot*);

/* The host's study object (a COM interface, IHostStudy of hostbridge/host_interfaces.h).
 * C callers only pass the pointer on, so it is declared here as an opaque struct. */
struct IHostStudy;

/* One call per bar through the host's study object: reads the bar, its date-time, the up-
 * and down-tick series (volume = up + down ticks) and the study arrays "arrValIn" (at least
 * 50 elements: 0 left, 1 right window length, 2 style, 3 above 0 = use the host's bar
 * number) and "arrValOut" (at least 100 elements), feeds the bar as XMT_PATTERN_AddBar
 * (prices scaled by 10000 when the high is below 3, else by 100) and runs, for style 1,
 * XMT_PATTERN_CalcPat with pattern `name` (load errors into patErr) or, for style 2,
 * XMT_ZZ_CalcPiv. The 100 result slots (0 where the call wrote nothing) go to "arrValOut"
 * on success only.
 * Result: the called function's result, 0 for other styles, or a failure with
 * "XMT_PATTERN64 Error#<n> occured - <message>" in err: -2 (Error#2, no date series),
 * -3 (Error#3, no up ticks), -4 (Error#4, no down ticks), -101 (Error#6, an array missing),
 * -107 (Error#7, not one-dimensional), -108 (Error#8, too few elements); -104 a failed host
 * call, with "Internal Error(x64) (101)" in err. A null id gives -2 with no message.
 * err and patErr may be null; at most XMT_PATTERN_ERR_BUF_SIZE bytes are written to each. */
XMT_EXPORT int XMT_PATTERN64(const char* id, char* err, struct IHostStudy* study,
                             const char* name, char* patErr);
typedef int (*XMT_PATTERN64_fn)(const char*, char*, struct IHostStudy*, const char*, char*);

#ifdef __cplusplus
}
#endif

#endif /* XMT_PATTERN_H */
