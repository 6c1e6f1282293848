/* Plain C declarations of the functions XMT_SIGNALS exports.
 *
 * The trading platform, the host simulator and the export-level tests call these by name.
 * Every function is a plain C function with the platform's one 64-bit calling convention.
 * Besides the declarations, each export has a pointer type (<name>_fn) for callers that
 * resolve the functions at run time.
 *
 * Dates are the host's form (year - 1900) * 10000 + month * 100 + day (1150415 is
 * 15 April 2015), times HHMM. Symbols and IDs are compared without regard to case.
 * Output pointers may be null: nothing is written through a null pointer.
 */
#ifndef XMT_SIGNALS_H
#define XMT_SIGNALS_H

#ifndef XMT_EXPORT
#define XMT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Pressure, excursions, adaptive average, trend band. */

/* Size of the text buffer szSymErr of XMT_BSP: an error text copied into it takes at most
 * this many bytes, the terminating zero included (longer texts are cut). The study passes
 * a buffer of at least this size. */
#define XMT_SIGNALS_ERR_BUF_SIZE 256

/* Buy/sell pressure of one study instance, called on every bar.
 *
 * The instance is keyed by "<szSymErr>/<szName>/<nKey1>/<nKey2>" (letter case ignored) and
 * created on first use. Through the study object it binds, once, the study's array
 * "arrBSP" and its up- and down-tick series, and keeps those references (it releases one
 * only when it drops the binding after a failed host call; at library unload nothing is
 * released, the host may already be gone). The study's array, declared in PowerLanguage as
 *     Array: arrBSP[9](0);   (10 elements, indexes 0 to 9)
 * is read and written as:
 *   0  out: weighted pressure of the current bar (-1 .. +1 times the volume ratio)
 *   1  out: exponential average of the weighted pressure (length AvgLen)
 *   2  in:  AvgLen, the length of the pressure averages
 *   3  in:  VolLen, the length of the volume average
 *   4  in:  Style, how the buy and sell sides are averaged:
 *           1 exponential, one side per bar; 2 exponential, both sides every bar (the idle
 *           side with 0); 3 and 4 the same with simple averages; other: no averaging
 *   5  out: average of the buying pressure
 *   6  out: average of the selling pressure (as a positive number)
 *   7  out: simple average of the bar volume (up + down ticks, length VolLen)
 *   8, 9    not touched
 * Elements 0, 1 and 5 to 7 are written once per bar: on the first call of a bar number
 * above the previous one, or on the call that restarted the instance (a new instance, or
 * a bar number below the previous one, which also re-sizes every average). Further calls
 * on the same bar number feed and write nothing.
 *
 * Result: 0 ready; -1 instance could not be set up; -2 szName null (instance and bindings
 * are set up, nothing fed or written); -3 no up ticks; -4 no down ticks; -6 no array
 * "arrBSP"; -7 "arrBSP" not one-dimensional; -8 "arrBSP" with fewer than 10 elements;
 * -9 a host call failed. Every negative result except -2 copies
 * "XMT_UT64 Error#<n> occured - <message>" (or, for -9, the failure's text) into szSymErr
 * (bounded by XMT_SIGNALS_ERR_BUF_SIZE; a null szSymErr is read as an empty text and not
 * written). Note that szSymErr is also part of the key. nAux is not used. */
XMT_EXPORT int XMT_BSP(const char* szName, int nKey1, int nKey2, char* szSymErr,
                       void* pStudy, int nAux);
typedef int (*XMT_BSP_fn)(const char*, int, int, char*, void*, int);

/* Pressure of one bar on an instance (the instance's own averages are fed by nStyle as
 * described for XMT_BSP). The weighted pressure goes to *pfBSP. Always 0; a null instance
 * feeds nothing (the volume ratio is then 1), a null pfBSP is not written. */
XMT_EXPORT int XMT_BSPCalc(void* pBSP, float fUp, float fDown, int nStyle, float* pfBSP);
typedef int (*XMT_BSPCalc_fn)(void*, float, float, int, float*);

/* Adds a bar to the one excursion store of the process (bars in ascending date-time order;
 * a bar already stored is not changed). A symbol other than the store's empties it and
 * decodes nMode: below 0 the scan does not stop at a day's end; magnitude above 1000 gives
 * results in ten-thousandths of the reference price; magnitude modulo 1000 (at least 2) is
 * the scope. pnV1..pnV4 are prices times nDiv (V2 high, V3 low); pnV5 is stored as it is;
 * a null pointer reads as 0.
 * Result: the number of stored bars; -1 date below 900000; -2 szSym null; -3 nDiv < 1. */
XMT_EXPORT int XMT_FindGemAdd(int nAux, const char* szSym, int nDate, int nTime, int nDiv,
                              const int* pnV1, const int* pnV2, const int* pnV3,
                              const int* pnV4, const int* pnV5, int nMode);
typedef int (*XMT_FindGemAdd_fn)(int, const char*, int, int, int, const int*, const int*,
                                 const int*, const int*, const int*, int);

/* Largest excursions over the scope bars that follow the bar scope bars before the given
 * one: long plus (fall below the start low), long minus (rise above the start low), short
 * plus (rise above the start high), short minus (fall below the start high). All four are
 * set to 0 first. Result: the scope; -1 date below 900000, bar not stored or fewer than
 * scope bars before it; -2 szSym null. */
XMT_EXPORT int XMT_FindGemCalc(int nAux, const char* szSym, int nDate, int nTime,
                               float* pfLongPlus, float* pfLongMinus, float* pfShortPlus,
                               float* pfShortMinus);
typedef int (*XMT_FindGemCalc_fn)(int, const char*, int, int, float*, float*, float*,
                                  float*);

/* Adaptive regression average of one value series, one instance per symbol, windows,
 * response factor, bar type and nExtra. nRespFac: 0-99 response in percent; 100 and above
 * packs a repeat count (nRespFac / 100) with the factor (nRespFac % 100); -1818 straight
 * line fit only, -1819 parabola fit only, -1820 the value itself; other negative: 60.
 * A negative nDate or a repeated nBarId re-sends the last bar. Result: the smoothed value;
 * 1e9 when no value can be given (warm-up on daily bars, a failed fit, an internal error);
 * fVal itself when szSym is null. */
XMT_EXPORT float XMT_RareAvg(const char* szSym, int nScopeRegr, int nScopeWgt, float fVal,
                             int nDate, int nTime, int nRespFac, int nAux, int nBarType,
                             int nExtra, int nBarId);
typedef float (*XMT_RareAvg_fn)(const char*, int, int, float, int, int, int, int, int, int,
                                int);

/* Position of fVal in the band of simple averages of lengths nFast .. nSlow (12 steps),
 * one instance per symbol and bar settings (nFast and nSlow are taken when it is created;
 * it is created again when the date-time runs backwards). *pfPos: -100 .. +100 in steps
 * of 25; *pfWidth: band width in ten-thousandths of its lower edge, times fScale.
 * Result: 0 inside (or flat band); 1 below; 2 above; -1 date below 900000 or no averages;
 * -2 szSym null. */
XMT_EXPORT int XMT_TrendReversal(int nAux, const char* szSym, int nDate, int nTime,
                                 int nBarType, int nBarInt, float fVal, float fScale,
                                 int nFast, int nSlow, float* pfPos, float* pfWidth);
typedef int (*XMT_TrendReversal_fn)(int, const char*, int, int, int, int, float, float, int,
                                    int, float*, float*);

#ifdef __cplusplus
}
#endif

#endif /* XMT_SIGNALS_H */
