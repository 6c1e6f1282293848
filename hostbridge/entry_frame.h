// The common opening of the bar-feeding exports.
//
// Every export that takes a bar starts the same way: reject a date from before the host's
// data (-1) and a null ID (-2), turn the host's date and time numbers into a CXMTDateTime,
// turn the scaled integer prices into single-precision values, and decide from the bar
// number whether the host has started the study over. These helpers do exactly that and
// nothing else; what an export does with its instance afterwards belongs to its library.
//
// Contract:
// - Host date: (year - 1900) * 10000 + month * 100 + day (1150415 is 15 April 2015); host
//   time HHMM.
// - Prices: integer / scale in single precision (the integer converted to float first).
//   With a scale of 0 or below every price is 0 and no pointer is read; a null pointer
//   reads as 0.
// - Nothing here logs, except the date-time value's own "Invalid Date"/"Invalid Time"
//   lines.
#pragma once

#include "common/datetime/date_time.h"

inline constexpr int kEntryDateTooLow = -1;  // date below kEntryMinHostDate
inline constexpr int kEntryNullId = -2;
inline constexpr int kEntryMinHostDate = 900000;  // 1 January 1990 in the host's form

// 0 when the call may go on, kEntryDateTooLow or kEntryNullId otherwise (date first).
int CheckEntryArgs(int hostDate, const char* id);

// The host's dates count years from 1900: yyyymmdd = host date + this offset.
inline constexpr int kHostDateOffset = 19000000;

// yyyymmdd of a host date (a date that would overflow gives -1).
inline int HostDateToFull(int hostDate) {
  return hostDate > 2147483647 - kHostDateOffset ? -1 : hostDate + kHostDateOffset;
}

// The host's form of a yyyymmdd date (a date that would underflow gives -1).
inline int FullDateToHost(int fullDate) {
  return fullDate < -2147483647 - 1 + kHostDateOffset ? -1 : fullDate - kHostDateOffset;
}

// Empties out and sets it from the host's date and time. An invalid time leaves the value
// empty, an invalid date leaves the date fields empty (and logs as CXMTDateTime::SetDT).
// Result: SetDT's result.
int HostToDateTime(int hostDate, int hostTime, CXMTDateTime& out);

struct EntryPrices {
  float open = 0.0f;
  float high = 0.0f;
  float low = 0.0f;
  float close = 0.0f;
};

// One scaled price.
float ScaleHostPrice(const int* value, int scale);
// All four prices of a bar.
EntryPrices ScaleHostPrices(int scale, const int* open, const int* high, const int* low,
                            const int* close);

// True when the host starts over: a new instance (last bar number negative) or a bar
// number smaller than the last one. An equal or larger number is the normal case.
inline bool IsEntryRestart(int lastBarNumber, int newBarNumber) {
  return lastBarNumber < 0 || newBarNumber < lastBarNumber;
}
