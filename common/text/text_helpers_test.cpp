// Tests of the free text helpers: field numbers from both ends, blank runs, the bound on
// the output buffer, comparison modes and hexadecimal reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/text/text_helpers.h"

namespace {

std::string Field(const char* src, char sep, int from, int to = 0, int* result = nullptr) {
  char out[64];
  int n = strfld(src, sep, from, to, out, sizeof out);
  if (result) *result = n;
  if (n > 0) return out;
  char code[16];
  snprintf(code, sizeof code, "<%d>", n);  // the result code, to tell failures apart
  return code;
}

TEST(TextHelpersTest, FieldsSeparatedByBlankRuns) {
  const char* src = "a  b c";
  EXPECT_EQ(Field(src, ' ', 2), "b");
  EXPECT_EQ(Field(src, ' ', 99), "c");
  EXPECT_EQ(Field(src, ' ', -2), "b");
  EXPECT_EQ(Field(src, ' ', 5), "<0>");
  EXPECT_EQ(Field("   lead trail   ", ' ', 1), "lead");
  EXPECT_EQ(Field("   lead trail   ", ' ', -1), "trail");
  EXPECT_EQ(Field(src, ' ', 1, 2), "a  b");
  EXPECT_EQ(CountFields(src, ' '), 3);
  EXPECT_EQ(CountFields("   ", ' '), 0);
}

TEST(TextHelpersTest, FieldRangesAndFailures) {
  const char* src = "1;22;;4444;";
  EXPECT_EQ(Field(src, ';', 2), "22");
  EXPECT_EQ(Field(src, ';', 3), "<0>");  // empty field
  EXPECT_EQ(Field(src, ';', 2, 4), "22;;4444");
  EXPECT_EQ(Field(src, ';', 4, 5), "4444");  // the separator left at the end is dropped
  EXPECT_EQ(Field(src, ';', 3, 2), "<-1>");
  EXPECT_EQ(Field(src, ';', -1, -3), "<-1>");
  EXPECT_EQ(Field(src, ';', 0), "<0>");
  EXPECT_EQ(Field(src, ';', -9), "<0>");
  EXPECT_EQ(Field(src, ';', 2, 99), "22;;4444");
  EXPECT_EQ(Field(nullptr, ';', 1), "<0>");
  EXPECT_EQ(CountFields(src, ';'), 5);
  EXPECT_EQ(CountFields("a;b   ", ';'), 2);
  EXPECT_EQ(CountFields("   ", ';'), 0);
  EXPECT_EQ(GetFieldInt("x;-17;y", ';', 2), -17);
  EXPECT_EQ(GetFieldInt("x;-17;y", ';', 9), 0);
}

TEST(TextHelpersTest, FieldCopyStaysInsideTheBuffer) {
  char out[8];
  memset(out, 'Z', sizeof out);
  EXPECT_EQ(strfld("abcdefghijkl;x", ';', 1, 0, out, 5), 4);
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], 'Z');
  EXPECT_EQ(strfld("abc", ';', 1, 0, out, 1), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(strfld("abc", ';', 1, 0, nullptr, 10), 0);
}

TEST(TextHelpersTest, AtMostTenThousandFieldsAreSeen) {
  std::string many;
  for (int i = 0; i < 10005; i++) many += "x;";
  EXPECT_EQ(CountFields(many.c_str(), ';'), 10000);
  EXPECT_EQ(Field(many.c_str(), ';', -1), "x");
}

TEST(TextHelpersTest, TrimFindAndHex) {
  char buffer[] = " \t mid dle\t ";
  EXPECT_EQ(TrimBlanks(buffer), 7);
  EXPECT_STREQ(buffer, "mid dle");
  char blank[] = " \t ";
  EXPECT_EQ(TrimBlanks(blank), 0);

  EXPECT_EQ(FindTextNoCase("Hello World", "WORLD"), 6);
  EXPECT_EQ(FindTextNoCase("Hello", "low"), -1);
  EXPECT_EQ(FindTextNoCase("ab", "abc"), -1);
  EXPECT_EQ(FindTextNoCase(nullptr, "a"), -1);
  EXPECT_EQ(FindCharIn('c', "abc"), 2);
  EXPECT_EQ(FindCharIn('z', "abc"), -1);
  EXPECT_EQ(FindCharIn('\0', "abc"), -1);

  EXPECT_EQ(HexToInt("1f"), 31);
  EXPECT_EQ(HexToInt("FFx9"), 255);
  EXPECT_EQ(HexToInt("1 "), 16);  // a blank counts as 0
  EXPECT_EQ(HexToInt("g"), 0);
  EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
}

TEST(TextHelpersTest, CompareModes) {
  EXPECT_EQ(CompareNoCase(nullptr, "a", 1), 3);
  EXPECT_EQ(CompareNoCase("abc", "ABC", 1), 0);
  EXPECT_EQ(CompareNoCase("abc", "abd", 0), 1);
  EXPECT_EQ(CompareNoCase("ab", "abc", 1), 2);
  EXPECT_EQ(CompareNoCase("abc", "ab", 1), 2);
  EXPECT_EQ(CompareNoCase("ab", "abc", 2), 0);  // a is a beginning of b
  EXPECT_EQ(CompareNoCase("abc", "ab", 2), 2);
  EXPECT_EQ(CompareNoCase("abc", "ab", 0), 0);
  EXPECT_EQ(CompareNoCase("ab", "abc", 5), 0);
  // Letters fold at both ends of the alphabet; their neighbours, 32 apart as well, do not.
  EXPECT_EQ(CompareNoCase("AZ", "az", 1), 0);
  EXPECT_EQ(CompareNoCase("@", "`", 1), 1);
  EXPECT_EQ(CompareNoCase("[", "{", 1), 1);
}

}  // namespace
