/* Plain C declarations of the functions XMT_MOMENTUM exports.
 *
 * The trading platform, the host simulator and the export-level tests call these by name.
 * Every function is a plain C function with the platform's one 64-bit calling convention.
 * Besides the declarations, each export has a pointer type (<name>_fn) for callers that
 * resolve the functions at run time.
 *
 * Slot blocks: arrays of 8-byte slots owned by the caller; each slot carries a
 * single-precision value in its first four bytes, and the library never touches the other
 * four. XmtSlot spells that layout.
 */
#ifndef XMT_MOMENTUM_H
#define XMT_MOMENTUM_H

#include "hostbridge/xmt_slot.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The momentum of the newest bar of `symbol` against the bars before it, optionally
 * smoothed. args: a block of at least 92 slots. Read: 0 host date ((year - 1900) * 10000
 * + month * 100 + day), 1 time HHMM, 2-6 open, high, low, close, volume, 7 bar number
 * (counting from 1; the newest bar's number again updates that bar, a number below the
 * bars added so far starts over), 8 bar interval, 9 bar type code, 11 look-back N,
 * 12 smoothing length L (<= 1: none). Integers are read truncated toward zero.
 * Result: sum over i = 1..N of ((P0 / Pi) - 1) * 1000 / sqrt(i), with P the typical price
 * (low + high + 2 * close) / 4 of the newest bar (P0) and the bar i back (Pi), smoothed by
 * an exponential average of length L when L > 1. Also written to slot 90; slot 91 gets
 * 1.0 when the call updated the newest bar, 0.0 when it added one.
 * Failures (logged): -1.0 bar type without a name, or a null block; -2.0 no instance (a null
 * symbol); both leave slots 90 and 91 alone. -99.0 when the computation failed (slot 90
 * = -99.0, slot 91 the update flag). */
XMT_EXPORT float XMT_UTC(const char* symbol, XmtSlot* args);
typedef float (*XMT_UTC_fn)(const char*, XmtSlot*);

/* Makes the pattern text file `file` (a path) available: read once per file name (letter
 * case ignored) and kept until the library unloads. A file that cannot be read is
 * reported in a "PatDetect Error" message box and tried again on the next call.
 * aux is not used. Result: 0, or -9 for a null file name. */
XMT_EXPORT int XMT_PatDetect(int aux, const char* file);
typedef int (*XMT_PatDetect_fn)(int, const char*);

/* Robust (repeated-median) regression slope of a value series, times 100, over the last
 * nScopeRegr values; the library keeps one history per combination of nScopeRegr,
 * nRespFac, nBarType and nExtra. nResMode 2 divides by the newest value and multiplies by
 * 1000. Dates are the host's form, times HHMM. Result: the slope; 1.0e9 when the history
 * has no newest point; fVal when no history can be had. */
XMT_EXPORT float XMT_RRS(int nScopeRegr, int nResMode, float fVal, int nDate, int nTime,
                         int nRespFac, int nAux, int nBarType, int nExtra);
typedef float (*XMT_RRS_fn)(int, int, float, int, int, int, int, int, int);

#ifdef __cplusplus
}
#endif

#endif /* XMT_MOMENTUM_H */
