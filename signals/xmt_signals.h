/* Plain C declarations of the functions XMT_SIGNALS exports.
 *
 * The trading platform, the host simulator and the export-level tests call these by name.
 * Every function is a plain C function with the platform's one 64-bit calling convention.
 * Besides the declarations, each export has a pointer type (<name>_fn) for callers that
 * resolve the functions at run time.
 *
 * Slot blocks: parameter and result blocks are arrays of 8-byte slots owned by the caller.
 * A function reads or writes a single-precision value in the first four bytes of a slot and
 * never touches the other four; XmtSlot spells that layout. The caller supplies as many
 * slots as the function documents; a null block reads as zeros and is not written.
 *
 * Prices come as integers together with a divisor (price = integer / divisor, in single
 * precision; a divisor below 1 gives prices of 0, and a null pointer reads as 0). Dates are
 * the host's form (year - 1900) * 10000 + month * 100 + day (1150415 is 15 April 2015),
 * times HHMM. Symbols and IDs are compared without regard to case. Output pointers may be
 * null: nothing is written through a null pointer.
 */
#ifndef XMT_SIGNALS_H
#define XMT_SIGNALS_H

#include "hostbridge/xmt_slot.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the error buffers (szSymErr of XMT_BSP, szErr of XMT_SaveDataToCsv2 and
 * XMT_LoadCol): at most this many bytes are written, the terminating zero included (longer
 * texts are cut). A null buffer is not written. The study passes a buffer of at least this
 * size. */
#define XMT_SIGNALS_ERR_BUF_SIZE 1000

/* Pressure, excursions, adaptive average, trend band. */

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

/* Adds a bar to the one excursion store of the process, at its place in date-time order
 * whatever order the bars come in (a bar whose date-time is stored is not changed). A
 * symbol other than the store's empties it and decodes nMode: below 0 the scan does not
 * stop at a day's end; magnitude above 1000 gives results in ten-thousandths of the
 * reference price; magnitude modulo 1000 (at least 2) is the scope. pnV1..pnV4 are prices
 * times nDiv (V2 high, V3 low); pnV5 is stored as it is; a null pointer reads as 0.
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
 * packs a repeat count (nRespFac / 100, at most 100) with the factor (nRespFac % 100); -1818 straight
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

/* Export, column loading, sound and speech, small functions. */


/* Bar export. Each call writes at most a header and one line (CR LF line ends) into
 * "<host folder>/../CSV/<symbol>.csv" (or ".txt"), the folder being made when missing, and
 * closes the file again. A run is the sequence of calls with the same symbol (case
 * ignored); its first call truncates the file (unless appending is asked for) and writes the
 * header. XMT_SaveDataToCsv and XMT_SaveDataToCsv2 share one run, XMT_SaveDataToTxt has its
 * own. Results: the run's line counter (1 for the first line of a run); -9 null symbol;
 * -10 the file cannot be opened or written (a full disk), or the symbol is no plain file
 * name (a path separator, ".." or ".", a character or device name Windows refuses): nothing
 * is written then, or the line did not reach the file. XMT_SaveDataToCsv2 and
 * XMT_SaveDataToTxt also give -10, write nothing and leave the run as it was, for a bar
 * whose date or time does not fit an int (as a slot value, or as yyyymmdd or hhmmss). */

/* "\"Symbol\",Date,Time,Open,High,Low,Close,Volume" lines with four decimals; nTime < 0
 * leaves the time column out. bAppend non-zero appends on the first line of a run. */
XMT_EXPORT int XMT_SaveDataToCsv(int nAux, const char* szSym, int nDate, int nTime, int nDiv,
                                 const int* pnOpen, const int* pnHigh, const int* pnLow,
                                 const int* pnClose, const int* pnVol, int bAppend);
typedef int (*XMT_SaveDataToCsv_fn)(int, const char*, int, int, int, const int*, const int*,
                                    const int*, const int*, const int*, int);

/* Parameter block of 16 slots: 0 date, 1 time, 2-5 open, high, low, close, 6 up-volume,
 * 11 down-volume, 12 > 0 appends on the first line of a run, 13 > 0 time column, 14 > 0
 * quoted symbol column, 15 layout (0 date "MM/DD/YYYY" and time "HH:MM", 1 yyyymmdd and
 * hhmmss, 2 as 0 with one volume column holding up + down volume). Two decimals.
 * An internal failure gives "Internal Error occured (State=<n>)" in szErr and the counter. */
XMT_EXPORT int XMT_SaveDataToCsv2(const char* szSym, const XmtSlot* pBlock, char* szErr);
typedef int (*XMT_SaveDataToCsv2_fn)(const char*, const XmtSlot*, char*);

/* Quoted header ("Date","Time","Open",...), date-time "M/D/YYYY,HH:MM:SS", four decimals.
 * nTime < 0: date "M/D/YYYY" alone. bCloseOnly: close and volume only. There is no append
 * option: the first line of a run always truncates. */
XMT_EXPORT int XMT_SaveDataToTxt(int nAux, const char* szSym, int nDate, int nTime, int nDiv,
                                 const int* pnOpen, const int* pnHigh, const int* pnLow,
                                 const int* pnClose, const int* pnVol, int bCloseOnly);
typedef int (*XMT_SaveDataToTxt_fn)(int, const char*, int, int, int, const int*, const int*,
                                    const int*, const int*, const int*, int);

/* Hands out, bar by bar, one column of a comma-separated file of the folder
 * "C:/Database/LoadCol" (field 1 date, field 2 time HHMM or HHMMSS). The file is loaded on
 * the first call, for another file name (case ignored), or when the bar number goes back;
 * then the first line at or after the bar's date-time is looked for, and each call hands
 * out the column of the line after the one reached and moves on one line.
 * Block: 0 date, 1 time, 7 bar number, 11 column (field number from 1); out: 12 the value.
 * Result: the index of the next line; -9 null szFile; -1 the file cannot be loaded or is
 * empty, or its name reaches outside the folder or names a device such as "COM1" (reason
 * in szErr; the next call loads again); -3 no line at or after the bar, or a bar date or
 * time that is no number or does not fit an int (nothing changes then); -4 the file is used
 * up. One state serves the whole process. An internal failure gives "Internal Error occured
 * (State=<n>)" in szErr and the next-line index. */
XMT_EXPORT int XMT_LoadCol(const char* szFile, XmtSlot* pBlock, char* szErr);
typedef int (*XMT_LoadCol_fn)(const char*, XmtSlot*, char*);

/* Plays one short note (5 ms) on the first MIDI output device: nNote limited to 30..60,
 * nVelocity to 20..127. The first call opens the device and selects nProgram for good (a
 * program outside 0..127 is not sent; the device keeps its own). Without a device the
 * notes are dropped. Result 0. */
XMT_EXPORT int XMT_TickSound(int nAux, int nNote, int nVelocity, int nProgram);
typedef int (*XMT_TickSound_fn)(int, int, int, int);

/* Spoken announcements: "Speak" (asynchronous), "SpeakWait" (waits until spoken) and
 * "Stop", case ignored; speaks only where the system's speech service exists. Result 0;
 * 1 "Speak"/"SpeakWait" with an empty text; -1 COM cannot be initialised (a message box
 * says why); -2 null szCmd; -3 null szText. */
XMT_EXPORT int XMT_Speak(const char* szCmd, const char* szText, int nAux);
typedef int (*XMT_Speak_fn)(const char*, const char*, int);

/* With fFactor > 0 and not 1, each of the five ints becomes x * fFactor rounded away from
 * zero from .49 on (single precision); otherwise they stay. Null pointers are skipped.
 * Result 0. */
XMT_EXPORT int XMT_F_PrcNorm(float fFactor, int* p1, int* p2, int* p3, int* p4, int* p5);
typedef int (*XMT_F_PrcNorm_fn)(float, int*, int*, int*, int*, int*);

/* -1 until a call comes more than nSeconds after the first call of the process with
 * nValue > 0; from then on that nValue, for every caller. */
XMT_EXPORT int XMT_IfRealtime(int nValue, int nSeconds);
typedef int (*XMT_IfRealtime_fn)(int, int);

/* Study creation and destruction hooks. Result 0. */
XMT_EXPORT int XMT_OnCreate(void);
XMT_EXPORT int XMT_OnDestroy(void);
typedef int (*XMT_OnCreate_fn)(void);
typedef int (*XMT_OnDestroy_fn)(void);

#ifdef __cplusplus
}
#endif

#endif /* XMT_SIGNALS_H */
