// Entry frame helpers and the instance registry.

#include "hostbridge/entry_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostbridge/instance_registry.h"

namespace {

TEST(EntryFrame, DateIsCheckedBeforeTheId) {
  EXPECT_EQ(kEntryDateTooLow, CheckEntryArgs(899999, nullptr));
  EXPECT_EQ(kEntryDateTooLow, CheckEntryArgs(-5, "A"));
  EXPECT_EQ(kEntryNullId, CheckEntryArgs(900000, nullptr));
  EXPECT_EQ(0, CheckEntryArgs(900000, ""));
}

TEST(EntryFrame, HostDateAndTime) {
  CXMTDateTime dt;
  EXPECT_EQ(0, HostToDateTime(1150415, 1530, dt));
  EXPECT_EQ(20150415, dt.GetDate());
  EXPECT_EQ(153000, dt.GetTime());

  // An invalid time leaves the value empty; an invalid date keeps only the time.
  HostToDateTime(1150415, 2570, dt);
  EXPECT_TRUE(dt.IsEmpty());
  HostToDateTime(1151345, 930, dt);
  EXPECT_EQ(93000, dt.GetTime());
  EXPECT_EQ(0, dt.GetDate());

  // Garbage must not overflow.
  HostToDateTime(2147483647, 2147483647, dt);
  EXPECT_TRUE(dt.IsEmpty());
  EXPECT_EQ(-1, HostDateToFull(2147483647));
}

TEST(EntryFrame, PricesAreScaledInSinglePrecision) {
  const int open = 12345, high = 12400, low = 12300, close = -7;
  EntryPrices p = ScaleHostPrices(100, &open, &high, &low, &close);
  EXPECT_EQ(12345.0f / 100.0f, p.open);
  EXPECT_EQ(123.45f, p.open);
  EXPECT_EQ(124.0f, p.high);
  EXPECT_EQ(-0.07f, p.close);
  // Scale 0 or below: all zero, pointers not read (null would crash otherwise).
  p = ScaleHostPrices(0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(0.0f, p.open);
  p = ScaleHostPrices(-3, &open, &high, &low, &close);
  EXPECT_EQ(0.0f, p.high);
  // A null pointer with a valid scale reads as 0.
  EXPECT_EQ(0.0f, ScaleHostPrice(nullptr, 100));
}

TEST(EntryFrame, Restart) {
  EXPECT_TRUE(IsEntryRestart(-1, 1));
  EXPECT_TRUE(IsEntryRestart(500, 1));
  EXPECT_FALSE(IsEntryRestart(5, 5));
  EXPECT_FALSE(IsEntryRestart(5, 6));
}

struct Counted {
  static inline int alive = 0;
  static inline int released = 0;
  int tag;
  explicit Counted(int t) : tag(t) { ++alive; }
  ~Counted() { --alive; }
};

// The fold at both ends of each alphabet and just outside: '@' and '[' border 'A'..'Z',
// '`' and '{' border 'a'..'z', and each border pair lies 32 apart like the letters. The
// index's hash and comparison must agree with the fold, and a registry must use all three.
TEST(InstanceRegistry, FoldsExactlyTheLettersAToZ) {
  const struct {
    char c, folded;
  } folds[] = {{'@', '@'}, {'A', 'a'}, {'Z', 'z'}, {'[', '['},
               {'`', '`'}, {'a', 'a'}, {'z', 'z'}, {'{', '{'}};
  CInstanceRegistry<Counted> reg;
  for (const auto& f : folds) {
    const std::string key = std::string("id") + f.c;
    SCOPED_TRACE(key);
    EXPECT_EQ(static_cast<unsigned char>(f.folded),
              folded_key::FoldAscii(static_cast<unsigned char>(f.c)));
    if (!reg.Find(key.c_str())) reg.Add(key.c_str(), new Counted(f.folded));
  }
  for (const auto& a : folds) {
    for (const auto& b : folds) {
      const std::string ka = std::string("ID") + a.c, kb = std::string("ID") + b.c;
      SCOPED_TRACE(ka + " " + kb);
      const bool same = a.folded == b.folded;
      EXPECT_EQ(same, folded_key::Equal(ka.c_str(), kb));
      EXPECT_EQ(same, folded_key::Hash(ka) == folded_key::Hash(kb));
    }
    const std::string upper = std::string("ID") + a.c;
    ASSERT_NE(nullptr, reg.Find(upper.c_str())) << upper;
    EXPECT_EQ(a.folded, reg.Find(upper.c_str())->tag) << upper;
  }
  EXPECT_EQ(6, reg.GetCount());  // "idA" and "idZ" found their lower-case twins
}

TEST(InstanceRegistry, CaseInsensitiveFirstWins) {
  {
    CInstanceRegistry<Counted> reg;
    EXPECT_EQ(nullptr, reg.Find("es_5min"));
    EXPECT_EQ(0, reg.Add("ES_5min", new Counted(1)));
    EXPECT_EQ(1, reg.Find("es_5MIN")->tag);
    EXPECT_EQ(nullptr, reg.Find("ES_5mi"));
    EXPECT_EQ(nullptr, reg.Find("ES_5min "));
    EXPECT_EQ(nullptr, reg.Find(nullptr));
    // A second object under the same key is kept but the first one stays the one found.
    EXPECT_EQ(1, reg.Add("es_5min", new Counted(2)));
    EXPECT_EQ(1, reg.Find("ES_5MIN")->tag);
    Counted notStored(3);
    EXPECT_EQ(-1, reg.Add(nullptr, &notStored));
    EXPECT_EQ(-1, reg.Add("y", nullptr));
    EXPECT_EQ(2, reg.GetCount());
    EXPECT_EQ(2, reg.GetAt(1)->tag);
    EXPECT_EQ(nullptr, reg.GetAt(2));
    // Empty keys are keys like any other.
    reg.Add("", new Counted(4));
    EXPECT_EQ(4, reg.Find("")->tag);
    // Non-letters are not folded.
    reg.Add("a[", new Counted(5));
    EXPECT_EQ(nullptr, reg.Find("A{"));
    reg.Clear([](Counted*) { ++Counted::released; });
    EXPECT_EQ(4, Counted::released);
    EXPECT_EQ(0, reg.GetCount());
    reg.Add("x", new Counted(6));
  }
  EXPECT_EQ(0, Counted::alive);  // the destructor deleted the rest
}

// Keys on both sides of the length kept inside the index's slots, found in another letter
// case and told apart by their last byte; the first object under a key stays the one found.
TEST(InstanceRegistry, KeysOfEveryLength) {
  CInstanceRegistry<Counted> reg;
  const size_t inlineBytes = CFoldedKeyIndex<Counted>::kInlineKeyBytes;
  std::vector<std::string> keys;
  for (size_t n : {size_t{0}, size_t{1}, inlineBytes - 1, inlineBytes, inlineBytes + 1, size_t{300}}) {
    keys.push_back(std::string(n, 'k'));
    if (n > 0) keys.push_back(std::string(n - 1, 'k') + "X");
  }
  for (size_t i = 0; i < keys.size(); ++i) reg.Add(keys[i].c_str(), new Counted(static_cast<int>(i)));
  for (size_t i = 0; i < keys.size(); ++i) {
    std::string upper = keys[i];
    for (char& c : upper) c = static_cast<char>(c == 'X' ? 'x' : 'K');
    ASSERT_NE(nullptr, reg.Find(upper.c_str())) << keys[i].size();
    EXPECT_EQ(static_cast<int>(i), reg.Find(upper.c_str())->tag) << keys[i].size();
    reg.Add(upper.c_str(), new Counted(-1));
    EXPECT_EQ(static_cast<int>(i), reg.Find(keys[i].c_str())->tag) << keys[i].size();
    EXPECT_EQ(nullptr, reg.Find((keys[i] + "#").c_str())) << keys[i].size();
  }
}

TEST(InstanceRegistry, ManyIds) {
  CInstanceRegistry<Counted> reg;
  for (int i = 0; i < 2000; ++i) reg.Add(("Id" + std::to_string(i)).c_str(), new Counted(i));
  for (int i = 0; i < 2000; i += 97)
    EXPECT_EQ(i, reg.Find(("iD" + std::to_string(i)).c_str())->tag);
  // Emptied, the registry indexes anew.
  reg.Clear(nullptr);
  EXPECT_EQ(nullptr, reg.Find("Id5"));
  reg.Add("Id5", new Counted(7));
  EXPECT_EQ(7, reg.Find("ID5")->tag);
}

}  // namespace
