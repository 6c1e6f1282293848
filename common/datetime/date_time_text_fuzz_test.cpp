// Many generated texts through every date-time reader: nothing crashes, nothing reads past
// a text (each text sits in a heap block of exactly its size, so the address sanitizer sees
// any over-read), and no reader leaves a value with fields out of range.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "common/datetime/date_time.h"
#include "common/text/txt.h"

namespace {

// Texts built mostly from the characters the readers look at, with arbitrary bytes mixed in.
std::string GenerateText(std::mt19937& rng) {
  static const char* pieces[] = {"0",  "1",  "2",  "9",   "12",  "24",   "59",   "60",  "2015",
                                 "/",  "-",  ":",  " ",   "\t",  ".",    ",",    "PM",  "am",
                                 "Feb", "DECEMBER", "Sept", "x", "<", "Now", "Today", "99",
                                 "20150217", "235959", "|", "%", "-1", "2147483648"};
  std::uniform_int_distribution<int> kind(0, 9), piece(0, sizeof pieces / sizeof *pieces - 1),
      byte(1, 255);
  std::uniform_int_distribution<int> count(0, 12);
  std::string text;
  int n = count(rng);
  if (kind(rng) == 0) n *= 120;  // now and then a long text (beyond the 1000-character copy)
  for (int i = 0; i < n; ++i) {
    if (kind(rng) < 8)
      text += pieces[piece(rng)];
    else
      text += static_cast<char>(byte(rng));
  }
  return text;
}

bool FieldsInRange(const CXMTDateTime& v) {
  return v.GetMonth() <= 12 && v.GetDay() <= 31 && v.GetHour() <= 24 && v.GetMinute() < 60 &&
         v.GetSecond() < 60;
}

TEST(DateTimeTextFuzz, ReadersSurviveGeneratedTexts) {
  std::mt19937 rng(20150217);
  CTxt out;
  for (int round = 0; round < 20000; ++round) {
    const std::string source = GenerateText(rng);
    // Exactly the text and its terminator: one byte more read is a sanitizer report.
    std::unique_ptr<char[]> text(new char[source.size() + 1]);
    memcpy(text.get(), source.c_str(), source.size() + 1);
    const char* p = text.get();
    SCOPED_TRACE(source);

    CXMTDateTime v(20100101, 101010);
    const int rc = v.SetDT(p);
    EXPECT_TRUE(FieldsInRange(v));
    if (rc == 0) {
      EXPECT_TRUE(v.IsValid() || v.IsEmpty());
    }
    v.SetDTCheck(p);
    EXPECT_TRUE(FieldsInRange(v));
    v.SetDate(p);
    v.SetTime(p);
    EXPECT_TRUE(FieldsInRange(v));
    v.SetDTConvLocal(p);
    EXPECT_TRUE(FieldsInRange(v));

    const int date = CXMTDateTime::ParseDateTxt(p);
    if (date >= 0) {
      EXPECT_EQ(CXMTDateTime(date, 0).IsValid(), 1);
    }
    const int time = CXMTDateTime::ParseTimeTxt(p);
    EXPECT_TRUE(time >= -3 && time <= 245959);
    const int alphaTime = CXMTDateTime::GetTimeAlpha(p);
    EXPECT_TRUE(alphaTime >= -3 && alphaTime <= 245959);
    for (int yearField : {-1, 0, 1, 3, 99}) {
      const int d = CXMTDateTime::GetDateAlpha(p, yearField, 1, 2, ' ');
      EXPECT_TRUE((d >= 1 && d <= 3) || CXMTDateTime(d, 0).IsValid());
    }
    CXMTDateTime::GetDateAlpha(p, 3, 2, 1, '-');
    CXMTDateTime::GetDateAlpha(p, 1, 2, 3, '/');
    CXMTDateTime::GetWeekDayVal(p, round & 1);
    CXMTDateTime::SetDTConvLocalTxt(p, out);

    // Whatever was read writes out in every style without trouble.
    for (int style = 0; style < 30; ++style) v.GetTxt(out, style);
  }
}

}  // namespace
