// LogStamp (see log_stamp.h): the columns' texts kept for one second.
#include "common/settings/log_stamp.h"

#include <cstdio>
#include <cstring>

bool LogStamp::SameSecond(const PlatformTime& now) const {
  return valid_ && now.second == second_.second && now.minute == second_.minute &&
         now.hour == second_.hour && now.day == second_.day && now.month == second_.month &&
         now.year == second_.year;
}

void LogStamp::Set(const PlatformTime& now) {
  millisecond_ = now.millisecond % 1000;
  if (SameSecond(now)) return;
  second_ = now;
  valid_ = true;
  const int d = std::snprintf(date_, sizeof date_, "%02d%02d%02d|", now.year % 100,
                              now.month % 100, now.day % 100);
  dateLength_ = d > 0 ? static_cast<size_t>(d) : 0;
  const int n = std::snprintf(time_, sizeof time_, "%02d:%02d:%02d.", now.hour % 100,
                              now.minute % 100, now.second % 100);
  timeLength_ = n > 0 ? static_cast<size_t>(n) : 0;
}

char* LogStamp::PutDate(char* out) const {
  std::memcpy(out, date_, dateLength_);
  return out + dateLength_;
}

char* LogStamp::PutTime(char* out, char level) const {
  std::memcpy(out, time_, timeLength_);
  out += timeLength_;
  if (millisecond_ >= 0) {
    out[0] = static_cast<char>('0' + millisecond_ / 100);
    out[1] = static_cast<char>('0' + millisecond_ / 10 % 10);
    out[2] = static_cast<char>('0' + millisecond_ % 10);
    out += 3;
  } else {  // a clock that reads below zero: as "%03d" writes it
    char digits[8];
    const int n = std::snprintf(digits, sizeof digits, "%03d", millisecond_);
    std::memcpy(out, digits, static_cast<size_t>(n));
    out += n;
  }
  *out++ = level;
  *out++ = '|';
  return out;
}
