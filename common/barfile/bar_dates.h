// Dates of a bar file: 2015-04-15, 2015/04/15, 2015.04.15 and 20150415 (year first),
// 04/15/2015 (month first) and 15.04.2015 (day first). Whether a date with the year last
// gives the month or the day first is told from the file as a whole: a first number above
// 12 somewhere means day first, a second number above 12 month first. When nothing tells,
// the user names the order.
#pragma once

#include <string>

enum class DateOrder { kFromData, kYmd, kMdy, kDmy };

// "ymd", "mdy" or "dmy" (any case); false for anything else.
bool DateOrderFromName(const std::string& name, DateOrder* out);
// "year/month/day", "month/day/year", "day/month/year" (empty for kFromData).
const char* DateOrderText(DateOrder order);

// The three numbers of a date as written. yearFirst: a four-digit first number (or eight
// digits without separators); otherwise the year is the last number. ok is false for a
// text of any other form.
struct DateParts {
  int first = 0, second = 0, third = 0;
  bool yearFirst = false;
  bool ok = false;
};
DateParts SplitDate(const std::string& text);

// yyyymmdd of the parts read in `order` (kYmd, kMdy or kDmy), or 0 when they are no date of
// that order: the year where the order does not have it, a month above 12, a day the month
// does not have, a year outside 1900-2155.
int DateValue(const DateParts& parts, DateOrder order);

// Gathers what the dates of a file with the year last say about their order.
class DateOrderEvidence {
 public:
  void Add(const DateParts& parts, int line);
  // kDmy or kMdy, whichever date came first that tells; kFromData when none does.
  DateOrder Told() const { return told_; }
  // The line of the first date that reads differently in the two orders (0: none), so that
  // an untold order matters.
  int FirstUntold() const { return firstUntold_; }

 private:
  DateOrder told_ = DateOrder::kFromData;
  int firstUntold_ = 0;
};
