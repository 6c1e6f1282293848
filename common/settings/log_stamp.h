// The date and time columns of a trace log line, formatted once a second.
//
// Both columns change only when the local time's second (or a field above it) changes, so
// LogStamp keeps their text for the last second it was given and formats them again only
// when a reading falls into another second. A line then costs a comparison, its three
// millisecond digits and its level letter. The texts are those of "%02d%02d%02d|" (year
// modulo 100, month, day) and "%02d:%02d:%02d.%03d%c|" (hour, minute, second, millisecond,
// level).
//
// Contract: not shared between threads (each thread keeps its own); the clock reading comes
// from the caller, so which time zone and daylight-saving rule apply is the caller's.
#pragma once

#include <cstddef>

#include "common/platform/platform_time.h"

class LogStamp {
 public:
  // Room the columns take at most (7 and 14 characters for readings within their ranges).
  static constexpr size_t kDateMax = 16;
  static constexpr size_t kTimeMax = 24;

  // Takes the clock reading of the line about to be written.
  void Set(const PlatformTime& now);
  // Write the columns of the last reading at out: result the end of what was written.
  char* PutDate(char* out) const;
  char* PutTime(char* out, char level) const;

 private:
  bool SameSecond(const PlatformTime& now) const;

  PlatformTime second_;  // the reading the texts belong to (its millisecond aside)
  bool valid_ = false;
  int millisecond_ = 0;
  // "yymmdd|" and "hh:mm:ss." (longer only for readings out of their ranges)
  char date_[16] = {};
  char time_[16] = {};
  size_t dateLength_ = 0;
  size_t timeLength_ = 0;
};
