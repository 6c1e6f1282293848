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
 * the host's form (year - 1900) * 10000 + month * 100 + day, times HHMM.
 */
#ifndef XMT_SIGNALS_H
#define XMT_SIGNALS_H

#ifndef XMT_EXPORT
#define XMT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifndef XMT_SLOT_DEFINED
#define XMT_SLOT_DEFINED
/* One 8-byte slot of a caller's block. */
typedef struct XmtSlot {
  float value;
  int unused; /* never read or written by the library */
} XmtSlot;
#endif

/* Export, column loading, sound and speech, small functions. */

/* Size of the error buffers (szErr) of XMT_SaveDataToCsv2 and XMT_LoadCol: at most this
 * many bytes are written, the terminating zero included (longer messages are cut). A null
 * buffer is not written. */
#define XMT_SIGNALS_ERR_BUF_SIZE 1000

/* Bar export. Each call writes at most a header and one line (CR LF line ends) into
 * "<host folder>/../CSV/<symbol>.csv" (or ".txt"), the folder being made when missing, and
 * closes the file again. A run is the sequence of calls with the same symbol (case
 * ignored); its first call truncates the file (unless appending is asked for) and writes the
 * header. XMT_SaveDataToCsv and XMT_SaveDataToCsv2 share one run, XMT_SaveDataToTxt has its
 * own. Results: the run's line counter (1 for the first line of a run); -9 null symbol;
 * -10 the file cannot be opened, or the symbol is no plain file name (a path separator,
 * ".." or ".", a character or device name Windows refuses): nothing is written then. */

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
 * empty, or its name reaches outside the folder (reason in szErr); -3 no line at or after
 * the bar; -4 the file is used up. One state serves the whole process. */
XMT_EXPORT int XMT_LoadCol(const char* szFile, XmtSlot* pBlock, char* szErr);
typedef int (*XMT_LoadCol_fn)(const char*, XmtSlot*, char*);

/* Plays one short note (5 ms) on the first MIDI output device: nNote limited to 30..60,
 * nVelocity to 20..127. The first call opens the device and selects nProgram for good.
 * Without a device the notes are dropped. Result 0. */
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
