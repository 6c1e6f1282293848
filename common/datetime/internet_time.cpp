// Universal time from a public time-service web page, and setting the computer's clock.
//
// The page is any page that prints the universal time as hh:mm:ss directly followed by "<"
// and, on the next line, the date as "weekday, month day, year". Its address is a setting
// ("INTERNET" / "TimeUrlEST" and "TimeUrlGov"), written back with its default the first
// time it is read, so a user can point it at another service. The page is fetched through
// Platform::FetchPage and read line by line with the process-wide block reader.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/text/block_reader.h"
#include "common/datetime/date_time.h"
#include "common/settings/settings.h"
#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

constexpr size_t kPageLimit = 10000;  // bytes read of a time page
// Bound on fetches of one call: while the page shows no time, or while we wait for its
// second to change. With the pause below this covers well over one second of page time
// even on a fast connection, and a dead service cannot keep us looping.
constexpr int kMaxFetches = 30;
constexpr int kFetchPauseMs = 50;  // between two fetches of the same call

constexpr const char* kSection = "INTERNET";
constexpr const char* kDefaultUrlEST = "http://www.time.gov/timezone.cgi?UTC/s/0";
constexpr const char* kDefaultUrlGov = "http://nist.time.gov/timezone.cgi?UTC/s/0";

constexpr const char* kNoTimeText = "SetGMT:  Clould not find Universal time";

// The page address from the settings; a missing setting is written back with its default.
std::string TimeUrl(const char* key, const char* def) {
  char url[1000];
  if (ReadIniString(kSection, key, "", url, sizeof url) <= 0) {
    WriteIniString(kSection, key, def);
    snprintf(url, sizeof url, "%s", def);
  }
  return url;
}

void MakeUpper(char* s) {
  for (; *s; ++s) *s = static_cast<char>(toupper(static_cast<unsigned char>(*s)));
}

bool IsDigitAt(const char* s, int i) { return isdigit(static_cast<unsigned char>(s[i])) != 0; }

// Start of a "hh:mm:ss<" (or "h:mm:ss<") in line, -1 when there is none.
int FindTimeBeforeTag(const char* line) {
  const int length = static_cast<int>(strlen(line));
  for (int i = 7; i < length; ++i) {
    if (line[i] != '<') continue;
    const char* t = line + i - 7;  // "h:mm:ss" ends here
    if (!(IsDigitAt(t, 0) && t[1] == ':' && IsDigitAt(t, 2) && IsDigitAt(t, 3) && t[4] == ':' &&
          IsDigitAt(t, 5) && IsDigitAt(t, 6)))
      continue;
    return (i >= 8 && IsDigitAt(line, i - 8)) ? i - 8 : i - 7;
  }
  return -1;
}

// Scans a page for the time and the date on the line after it. Result true when a time
// was found; *date is yyyymmdd or GetDateAlpha's error, *time hhmmss or GetTimeAlpha's.
bool ReadTimePage(const std::string& body, int* date, int* time) {
  BlockReader& reader = BlockReader::Shared();
  reader.OpenMemory(body.data(), body.size());
  std::vector<char> line(kPageLimit + 1);
  bool found = false;
  while (!found && reader.ReadLine(line.data(), static_cast<int>(line.size())) >= 0) {
    MakeUpper(line.data());
    const int start = FindTimeBeforeTag(line.data());
    if (start < 0) continue;
    found = true;
    char timeText[16];
    const char* timeStart = line.data() + start;
    snprintf(timeText, sizeof timeText, "%.*s", static_cast<int>(strcspn(timeStart, "<")),
             timeStart);
    *time = CXMTDateTime::GetTimeAlpha(timeText);
    char dateText[1000] = "";
    if (reader.ReadLine(line.data(), static_cast<int>(line.size())) >= 0) {
      MakeUpper(line.data());
      if (strfld(line.data(), ',', 2, 3, dateText, sizeof dateText) <= 0) dateText[0] = 0;
      TrimBlanks(dateText);
    }
    *date = CXMTDateTime::GetDateAlpha(dateText, 3, 1, 2, ' ');
  }
  reader.Close();
  return found;
}

// The common body of SetNowTimeEST and SetNowTimeGov.
int SetFromTimePage(CXMTDateTime& value, CTxt& out, int waitForChange, const char* agent,
                           const char* urlKey, const char* defaultUrl) {
  const std::string url = TimeUrl(urlKey, defaultUrl);
  Platform& platform = Platform::Default();
  int firstDate = 0, firstTime = -1;
  for (int fetch = 0; fetch < kMaxFetches; ++fetch) {
    if (fetch > 0) platform.SleepMs(kFetchPauseMs);
    std::string body;
    const int rc = platform.FetchPage(url.c_str(), agent, kPageLimit, &body);
    if (rc == -1) {
      out.SetTxt("SyncTime: Internet open error!");
      return -1;
    }
    if (rc == -2) {
      out.SetTxt("SyncTime: URL open error!");
      return -2;
    }
    if (rc < 0) {
      out.SetTxt("SyncTime: URL reading error!");
      return -3;
    }
    int date = 0, time = -1;
    if (!ReadTimePage(body, &date, &time)) {
      out.SetTxt(kNoTimeText);
      continue;
    }
    // Checked before anything is stored: a half-set value must not pass for a reading.
    if (!CXMTDateTime::IsDate(date) || time < 0 || !CXMTDateTime::IsTime(time)) {
      out.Format("Invalid date/time in %s (%d, %d)", url.c_str(), date, time);
      return -5;
    }
    if (waitForChange == 1) {
      if (firstTime < 0) {
        firstDate = date;
        firstTime = time;
        continue;
      }
      if (date == firstDate && time == firstTime) continue;
    }
    if (value.SetDT(date, time) != 0) {
      out.Format("Invalid date/time in %s (%d, %d)", url.c_str(), date, time);
      return -5;
    }
    value.GetTxt(out, 0);
    return 0;
  }
  if (firstTime >= 0) {
    out.Format("SyncTime: Time did not change in %d readings of %s", kMaxFetches, url.c_str());
    return -6;
  }
  out.SetTxt(kNoTimeText);
  return -4;
}

}  // namespace

int CXMTDateTime::SetNowTimeEST(CTxt& out, int waitForChange) {
  return SetFromTimePage(*this, out, waitForChange, "SetNowTimeEST", "TimeUrlEST", kDefaultUrlEST);
}

int CXMTDateTime::SetNowTimeGov(CTxt& out, int waitForChange) {
  return SetFromTimePage(*this, out, waitForChange, "SetNowTimeGov", "TimeUrlGov", kDefaultUrlGov);
}

int CXMTDateTime::SetNowURL() {
  CTxt text;
  if (SetNowTimeEST(text, 0) != 0) return -2;
  return IsValid() ? 0 : -2;
}

namespace {

// Milliseconds from a to b (local clock readings).
long long MsBetween(const PlatformTime& a, const PlatformTime& b) {
  CXMTDateTime from, to;
  from.SetDT(a);
  to.SetDT(b);
  return from.GetDiffSecBig(&to) * 1000 + (b.millisecond - a.millisecond);
}

}  // namespace

int CXMTDateTime::SyncGMT(CTxt& out, double* adjusted) const {
  if (!IsValid()) {
    out.SetTxt("SyncGMT: invalid date/time, clock not set");
    return -2;
  }
  CXMTDateTime local = *this;
  local.AdjToLocal();
  CXMTDateTime now;
  now.SetNow();
  const int diffNow = now.GetDiffSec(&local);

  Platform& platform = Platform::Default();
  const PlatformTime current = platform.LocalNow();
  if (current.millisecond > 100) platform.SleepMs(1000 - current.millisecond);

  const PlatformTime before = platform.LocalNow();
  PlatformTime target;
  local.GetPlatformTime(&target);
  const long rc = platform.SetLocalClock(target);
  if (rc != 0) {
    out.Format("SetLocalTime failed (Error %d=%s)", static_cast<int>(rc),
               platform.ErrorText(static_cast<unsigned long>(rc)).c_str());
    return -1;
  }
  const PlatformTime after = platform.LocalNow();
  const double change = MsBetween(before, after) / 1000.0;
  if (adjusted) *adjusted = change;
  out.Format("Adjusted %6.3f Sec to %d/%d/%d %02d:%02d:%02d.%03d "
             "(From %d/%d/%d %02d:%02d:%02d.%03d) DiffNow=%d",
             change, after.month, after.day, after.year, after.hour, after.minute, after.second,
             after.millisecond, before.month, before.day, before.year, before.hour, before.minute,
             before.second, before.millisecond, diffNow);
  return 0;
}
