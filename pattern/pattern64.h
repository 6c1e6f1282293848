// The combined pattern entry behind the export XMT_PATTERN64: one call per bar that reads
// the bar and the study's parameter array through the host's study object, feeds the bar
// (as XMT_PATTERN_AddBar), runs the pattern evaluation or the pivot report and writes the
// result block into the study's output array.
//
// Contract:
// - Study arrays: "arrValIn" (one dimension, at least kP64InputCount elements) gives the
//   window lengths (elements 0 and 1), the style (2: 1 pattern evaluation, 2 pivot report,
//   anything else only feeds the bar) and the bar-number switch (3: above 0 takes the host's
//   bar number, so that a number going back restarts the instance, and sets the
//   same-direction filter). "arrValOut" (one dimension, at least kP64OutputCount elements)
//   receives kP64OutputCount values on success, each as VT_R4; it is not written on any
//   failure.
// - Results: those of XMT_PATTERN_CalcPat (style 1) or XMT_ZZ_CalcPiv (style 2), 0 for other
//   styles, or one of the kP64... failures below. A failure with an error number puts
//   "XMT_PATTERN64 Error#<n> occured - <message>" into err and the trace log; a host call
//   that fails (or anything else thrown) gives kP64Internal with "Internal Error(x64) (101)"
//   in err and a flushed log. Failures found before the bar is fed leave the instance as
//   it was.
// - err and patErr may be null; at most kPatternErrBufSize bytes (terminator included) are
//   written to either. patErr receives the pattern-load message of style 1.
// - A null ID gives -2 after the host has been read (nothing fed, nothing written).
// - Nothing escapes: every exception ends in the catch-all.
#pragma once

struct IHostStudy;

inline constexpr int kP64InputCount = 50;
inline constexpr int kP64OutputCount = 100;

inline constexpr int kP64DateMissing = -2;       // Error#2
inline constexpr int kP64UpTicksMissing = -3;    // Error#3
inline constexpr int kP64DownTicksMissing = -4;  // Error#4
inline constexpr int kP64ArrayMissing = -101;    // Error#6
inline constexpr int kP64ArrayDims = -107;       // Error#7
inline constexpr int kP64ArraySize = -108;       // Error#8
inline constexpr int kP64Internal = -104;

int Pattern64(const char* id, char* err, IHostStudy* study, const char* name, char* patErr);

// The price scale a bar is fed with: 10000 when its high is below 3 (four decimals, as
// currency pairs are quoted), else 100. The simulator chooses its default scale by it too.
inline int PriceScaleForHigh(double high) { return high < 3.0 ? 10000 : 100; }

// The integer form of a price for the bar-feeding frame: scale * price rounded half away
// from zero (by 0.51), kept within the int range.
int ScalePriceForFeed(float price, int scale);
