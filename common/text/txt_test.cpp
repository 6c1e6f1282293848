// Tests of CTxt content, editing and conversions: buffer sizes, texts that refer to
// themselves, the bound on formatting, result codes of the editing operations and the
// conversions' round trips.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/testing/fake_platform.h"
#include "common/platform/platform.h"
#include "common/text/txt.h"

namespace {

TEST(TxtTest, NullTextReadsAsEmpty) {
  CTxt t("abc");
  EXPECT_EQ(t.SetTxt(nullptr), 0);
  EXPECT_EQ(t.GetData(), nullptr);
  EXPECT_EQ(t.GetAllocLength(), 0);
  const CTxt& view = t;
  EXPECT_STREQ(static_cast<const char*>(view), "");
  EXPECT_STREQ(static_cast<const char*>(t), "");
  EXPECT_NE(t.GetData(), nullptr);  // the non-const read made it ""
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_FALSE(t.IsFilled());
}

TEST(TxtTest, BuffersGrowToExactSizes) {
  CTxt t;
  t.SetTxt("abc");
  EXPECT_EQ(t.GetAllocLength(), 5);
  t.AddTxt("de");
  EXPECT_EQ(t.GetAllocLength(), 7);
  t.Add('f');  // fits: 6 characters and the terminator
  EXPECT_EQ(t.GetAllocLength(), 7);
  t.Add('g');
  EXPECT_EQ(t.GetAllocLength(), 9);
  EXPECT_STREQ(t, "abcdefg");
  t.SetTxt("x");  // a shorter text keeps the buffer
  EXPECT_EQ(t.GetAllocLength(), 9);
  char* owned = t.GetData();
  t.Reset();  // we take the buffer over
  EXPECT_EQ(t.GetData(), nullptr);
  CTxt adopt;
  adopt.SetTxt(owned);
  EXPECT_STREQ(adopt, "x");
  Platform::Default().TaskFree(owned);
}

// Task memory that runs out on request.
class ScarceMemory : public FakePlatform {
 public:
  bool exhausted = false;
  void* TaskAlloc(size_t n) override { return exhausted ? nullptr : FakePlatform::TaskAlloc(n); }
};

TEST(TxtTest, FailedAllocationKeepsTheText) {
  ScarceMemory memory;
  ScopedPlatform use(memory);
  CTxt t("abc");
  memory.exhausted = true;
  EXPECT_EQ(t.AddTxt("defgh"), -1);
  EXPECT_EQ(t.SetTxt("longer text"), -1);
  EXPECT_EQ(t.Format("%s", "longer text"), -1);
  EXPECT_EQ(t.Add('x'), 4);  // still fits the buffer
  EXPECT_STREQ(t, "abcx");
  CTxt none;
  EXPECT_STREQ(static_cast<const char*>(none), "");
  memory.exhausted = false;
}

TEST(TxtTest, CopiesAndMoves) {
  CTxt a("one");
  CTxt b(a);
  b.AddTxt("!");
  EXPECT_STREQ(a, "one");
  EXPECT_STREQ(b, "one!");
  a = a;
  EXPECT_STREQ(a, "one");
  CTxt never;
  a = never;  // a source without buffer changes nothing
  EXPECT_STREQ(a, "one");
  CTxt moved(std::move(b));
  EXPECT_STREQ(moved, "one!");
  a = "two";
  EXPECT_STREQ(a, "two");
  a += "+";
  a += '3';
  EXPECT_STREQ(a, "two+3");
}

TEST(TxtTest, OperationsOnTheTextItself) {
  CTxt t("abc");
  t.AddTxt(t.GetData());
  EXPECT_STREQ(t, "abcabc");
  t.Format("%s-%s", t.GetData(), t.GetData());
  EXPECT_STREQ(t, "abcabc-abcabc");
  t.SetTxt(t.GetData() + 7);
  EXPECT_STREQ(t, "abcabc");
  t.InsertAt(3, t.GetData());
  EXPECT_STREQ(t, "abcabcabcabc");
}

TEST(TxtTest, FormatCutsLongOutput) {
  std::string big(CTxt::kMaxFormatLength + 5000, 'q');
  CTxt t;
  EXPECT_EQ(t.Format("%s!", big.c_str()), CTxt::kMaxFormatLength);
  EXPECT_EQ(static_cast<int>(strlen(t)), CTxt::kMaxFormatLength);
  EXPECT_EQ(t.Format("%05d|%-3s|", 42, "x"), 10);
  EXPECT_STREQ(t, "00042|x  |");
  std::string medium(3000, 'm');  // beyond the stack buffer, below the limit
  EXPECT_EQ(t.Format("<%s>", medium.c_str()), 3002);
}

TEST(TxtTest, FormatMessageInserts) {
  CTxt t;
  EXPECT_GT(t.FormatMessageA("%2 then %1", "first", "second"), 0);
  EXPECT_STREQ(t, "second then first");
}

TEST(TxtTest, ContentHelpers) {
  CTxt t;
  EXPECT_EQ(t.SetTxtFixLen("abcdef", 4), 4);
  EXPECT_STREQ(t, "abcd");
  EXPECT_EQ(t.SetTxtFixLen("ab  ", 6), 2);
  EXPECT_EQ(t.FillChar('*', 0), 1);
  EXPECT_STREQ(t, "*");
  EXPECT_EQ(t.FillChar('-', 3), 3);
  EXPECT_EQ(t.MakeFixedLength(5), 5);
  EXPECT_STREQ(t, "---  ");
  EXPECT_EQ(t.MakeFixedLength(2), 2);
  EXPECT_EQ(t.MakeLength(9), 2);
  const char ram[] = {'h', 'i', 0, 'x'};
  EXPECT_EQ(t.ReadFromRam(ram, 4), 2);
  EXPECT_STREQ(t, "hi");
  EXPECT_EQ(t.ReadFromRam("abcdef", 3), 3);
  EXPECT_STREQ(t, "abc");
  t.InsertAt(99, "Z");
  t.InsertAt(0, 'A');
  t.InsertAt(2, "");
  EXPECT_STREQ(t, "AabcZ");
  t.MakeUpper();
  EXPECT_STREQ(t, "AABCZ");
  t.MakeLower();
  EXPECT_STREQ(t, "aabcz");
}

TEST(TxtTest, Finding) {
  CTxt empty, t("Hello, World");
  EXPECT_EQ(empty.FindChar('a'), -1);
  EXPECT_EQ(t.FindChar('o'), 4);
  EXPECT_EQ(t.FindChar('z'), -2);
  EXPECT_EQ(empty.FindCharList(",;"), -1);
  EXPECT_EQ(t.FindCharList(";,"), 5);
  EXPECT_EQ(t.FindCharList("xyz"), -2);
  EXPECT_EQ(t.FindTextA("world"), 7);
  EXPECT_EQ(t.FindTextA("planet"), -1);
  std::vector<std::string> list = {"alpha", "Beta"};
  EXPECT_EQ(CTxt::FindStringArray(list, "BETA"), 1);
  EXPECT_EQ(CTxt::FindStringArray(list, "bet"), -1);
}

TEST(TxtTest, TrimmingAndCharacterSets) {
  CTxt t("xxabcxx");
  EXPECT_EQ(t.TrimRight('x'), 2);
  EXPECT_EQ(t.Trim('x'), 3);
  EXPECT_STREQ(t, "abc");
  CTxt empty;
  EXPECT_EQ(empty.Trim(' '), 0);
  EXPECT_EQ(empty.RemoveChar('a'), -1);
  EXPECT_EQ(empty.RemoveCharList("a"), -1);
  EXPECT_EQ(empty.ExtractChar("a"), -1);
  t.SetTxt("(1,234.5E+3)");
  EXPECT_EQ(t.TrimNum(1), 11);
  EXPECT_STREQ(t, "(1234.5E+3)");
  t.TrimNum(0);
  EXPECT_STREQ(t, "1234.5E+3");
  t.SetTxt("a-b-c");
  EXPECT_EQ(t.RemoveChar('-'), 3);
  t.SetTxt("a-b;c");
  EXPECT_EQ(t.RemoveCharList("-;"), 3);
  EXPECT_EQ(t.Replace('a', 'z'), 1);
  EXPECT_STREQ(t, "zbc");
}

TEST(TxtTest, RangesAndTheirCodes) {
  CTxt t("abcdef");
  EXPECT_EQ(t.ExtractRange(2, 4), 3);
  EXPECT_STREQ(t, "bcd");
  EXPECT_EQ(t.ExtractRange(4, 4), -2);
  EXPECT_EQ(t.ExtractRange(1, 4), -3);
  EXPECT_EQ(t.ExtractRange(3, 2), -4);
  EXPECT_EQ(t.ExtractRange(-5, 2), 2);  // cannot start before the text
  EXPECT_STREQ(t, "bc");
  t.SetTxt("abcdef");
  EXPECT_EQ(t.RemoveRange(-1, 1), -1);
  EXPECT_EQ(t.RemoveRange(6, 1), -2);
  EXPECT_EQ(t.RemoveRange(1, 0), -3);
  EXPECT_EQ(t.RemoveRange(4, 100), 4);
  EXPECT_STREQ(t, "abcd");
  EXPECT_EQ(t.RemoveRange(0, 1), 3);
  CTxt empty;
  EXPECT_EQ(empty.RemoveRange(0, 1), -4);
  EXPECT_EQ(empty.ExtractRange(1, 1), -1);
}

TEST(TxtTest, RemovingAndReplacingTexts) {
  CTxt t("xabyab z");
  EXPECT_EQ(t.RemoveFromText("AB"), 4);
  EXPECT_STREQ(t, "xy z");
  t.SetTxt("abab");
  EXPECT_EQ(t.ReplaceInText("ab", "XYZ"), 6);
  EXPECT_STREQ(t, "XYZXYZ");
  EXPECT_EQ(t.ReplaceInText("xyz", ""), 0);
  t.SetTxt("aaa");
  EXPECT_EQ(t.ReplaceInText("a", "aa"), 6);  // replacements are not searched again
  EXPECT_EQ(t.ReplaceInText("", "q"), 6);
  CTxt empty;
  EXPECT_EQ(empty.ReplaceInText("a", "b"), -1);
  EXPECT_EQ(empty.RemoveFromText("a"), -1);
}

TEST(TxtTest, LineEndsAndEscapes) {
  CTxt t("a\nb\r\nc\n");
  EXPECT_EQ(t.InsertCR(), 9);
  EXPECT_STREQ(t, "a\r\nb\r\nc\r\n");
  t.SetTxt("1\r\n2\t3\\");
  t.ConvCRLF(0);
  EXPECT_STREQ(t, "1\\r\\n2\\t3\\");
  t.ConvCRLF(1);
  EXPECT_STREQ(t, "1\r\n2\t3");  // the lone backslash at the end is dropped
  t.SetTxt("a\\qb");
  t.ConvCRLF(1);
  EXPECT_STREQ(t, "ab");
  t.SetTxt("a\x01\x7f\xe4z");
  EXPECT_EQ(t.MaskNonPrintable(), 3);
  EXPECT_STREQ(t, "a+++z");
}

TEST(TxtTest, MaskingNames) {
  CTxt t("ok_name(1).txt");
  EXPECT_EQ(t.MaskNonFilename(0), '.');
  EXPECT_EQ(t.MaskNonFilename(0, "."), 0);
  EXPECT_EQ(t.MaskNonFilename(1), 10);
  EXPECT_STREQ(t, "ok_name(1)_txt");
  EXPECT_EQ(t.MaskNonFilename(1), -1);
  t.SetTxt("my var-1");
  EXPECT_EQ(t.MaskNonVar(1), 2);
  EXPECT_STREQ(t, "my_var_1");
  CTxt empty;
  EXPECT_EQ(empty.MaskNonVar(0), -1);
}

TEST(TxtTest, HexadecimalForms) {
  const char bytes[] = {'\x00', '\x7f', '\xff', 'A'};
  CTxt t;
  t.ReadFromRam("\x01\xab", 2);
  EXPECT_EQ(t.ConvHex(1), 4);
  EXPECT_STREQ(t, "01AB");
  t.SetTxt("4a6B 7");
  t.ConvHex(0);
  EXPECT_EQ(t.GetLength(), 3);
  EXPECT_EQ(t.GetAt(0), 'J');
  EXPECT_EQ(t.GetAt(1), 'k');
  EXPECT_EQ(t.GetAt(2), '\x07');  // " 7": the blank reads as 0
  CTxt empty;
  EXPECT_EQ(empty.ConvHex(1), -1);
  t.GetHex(0x12345678u, 1);
  EXPECT_STREQ(t, "78");
  t.GetHex(0xABCu, 0);
  EXPECT_STREQ(t, "00000ABC");
  t.MakeHexValue(0x12345678u, 6);
  EXPECT_STREQ(t, "345678");
  t.MakeHexValue(0x12345678u, 5);
  EXPECT_STREQ(t, "12345678");
  t.GetHexArray(bytes, 4);
  EXPECT_STREQ(t, "00,7F,FF,41,");
  t.GetHexArray(bytes, 1001);
  EXPECT_STREQ(t, "GetHexArray(1001By)");
  t.GetHexArray(bytes, 0);
  EXPECT_STREQ(t, "GetHexArray(0By)");
}

TEST(TxtTest, EntityConversions) {
  CTxt t("\t<a href=\"x\">'&'</a>");
  t.ConvTxt2XML();
  EXPECT_STREQ(t, "&#x09;&lt;a href=&quot;x&quot;&gt;&apos;&amp;&apos;&lt;/a&gt;");
  EXPECT_EQ(t.ConvXML2Txt(), 0);
  t.SetTxt("a+b&NBSP;c&amp;d%41%%e\\+f%zz");
  t.ConvHTM2TXT();
  EXPECT_STREQ(t, "a b c&dA%e+f%zz");
}

TEST(TxtTest, ValueTexts) {
  CTxt t;
  t.MakeValueTxt(2.500, 3);
  EXPECT_STREQ(t, "2.5");
  t.MakeValueTxt(100, 0);
  EXPECT_STREQ(t, "100");
  t.MakeValueTxt(3.0, 2);
  EXPECT_STREQ(t, "3");
  t.MakeValueTxt(-0.125, 2);
  EXPECT_STREQ(t, "-0.12");
  t.MakeValueTxt(10.0, 3);
  EXPECT_STREQ(t, "10");  // zeros before the point stay
}

// Widths, counts and precisions near the int limit fail or finish quickly, and lose no digit.
TEST(TxtTest, ExtremeLengthsAndPrecisions) {
  CTxt t("keep");
  EXPECT_EQ(t.FillChar('x', INT_MAX), -1);
  EXPECT_EQ(t.MakeFixedLength(INT_MAX), -1);
  EXPECT_STREQ(t, "keep");
  EXPECT_EQ(t.SetTxtFixLen("ab", INT_MAX), 2);
  t.MakeValueTxt(2.5, INT_MAX);
  EXPECT_STREQ(t, "2.5");
  // The smallest double has 1074 fractional digits, the last one a 5.
  char exact[1200];
  snprintf(exact, sizeof exact, "%.1074f", 5e-324);
  t.MakeValueTxt(5e-324, 5000);
  EXPECT_STREQ(t, exact);
}

TEST(TxtTest, FillPlaceHolders) {
  CTxt t("<@2|@1>");
  EXPECT_EQ(t.FillPlaceHolder("x;y", 0, ';'), 0);
  EXPECT_STREQ(t, "<y|x>");
  t.SetTxt("end @1");
  EXPECT_EQ(t.FillPlaceHolder("last", 0, ';'), 0);
  EXPECT_STREQ(t, "end last");
  t.SetTxt("a@3b");
  EXPECT_EQ(t.FillPlaceHolder("x;y", 0, ';'), -4);
  EXPECT_STREQ(t, "a@3b");
  EXPECT_EQ(t.FillPlaceHolder("x;y", 1, ';'), 0);
  EXPECT_STREQ(t, "ab");
  t.SetTxt("@0 @2 @12");
  EXPECT_EQ(t.FillPlaceHolder("x;;a;b;c;d;e;f;g;h;i;twelve", 0, ';'), -4);  // @0
  EXPECT_EQ(t.FillPlaceHolder("x;;a;b;c;d;e;f;g;h;i;twelve", 1, ';'), 0);
  EXPECT_STREQ(t, "  twelve");
  t.SetTxt("mail@x");
  EXPECT_EQ(t.FillPlaceHolder("v", 0, ';'), -3);
  t.SetTxt("trailing @");
  EXPECT_EQ(t.FillPlaceHolder("v", 0, ';'), -3);
  EXPECT_EQ(t.FillPlaceHolder("", 0, ';'), -1);
  CTxt empty;
  EXPECT_EQ(empty.FillPlaceHolder("v", 0, ';'), -2);
}

}  // namespace
