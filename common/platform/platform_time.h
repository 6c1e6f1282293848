// Clock readings as the platform gives them: the broken-down time (like the Windows
// SYSTEMTIME) and the time-zone state. Their own header, so that code that only handles
// clock values (the date-time value, for one) does not pull in the whole platform interface.
#pragma once

// A broken-down clock reading, like the Windows SYSTEMTIME.
struct PlatformTime {
  int year = 0;   // four digits
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int weekday = 0;  // Sunday = 0
};

// A clock reading from its fields (weekday left 0: the callers that need it derive it).
inline PlatformTime MakePlatformTime(int year, int month, int day, int hour = 0, int minute = 0,
                                     int second = 0, int millisecond = 0) {
  PlatformTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.millisecond = millisecond;
  return t;
}

// The system's time-zone state, as GetTimeZoneInformation reports it (minutes, UTC = local + bias).
struct PlatformTimeZone {
  int bias = 0;
  int standardBias = 0;
  int daylightBias = 0;
  int state = 0;  // 0 unknown, 1 standard time, 2 daylight time
};
