// Tests of the pointer and number arrays: growth rules, insertion and removal at the
// edges, self-referencing operations, sorting and the number views.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/text/ptr_array.h"
#include "common/text/typed_ptr_array.h"

namespace {

void* P(intptr_t v) { return reinterpret_cast<void*>(v); }

int CompareSlots(const void* a, const void* b) {
  intptr_t x = reinterpret_cast<intptr_t>(*static_cast<void* const*>(a));
  intptr_t y = reinterpret_cast<intptr_t>(*static_cast<void* const*>(b));
  return x < y ? -1 : (x > y ? 1 : 0);
}

void Fill(SPtrArray& a, std::initializer_list<intptr_t> values) {
  for (intptr_t v : values) a.Add(P(v));
}

std::vector<intptr_t> Values(const SPtrArray& a) {
  std::vector<intptr_t> out;
  for (int i = 0; i < a.GetSize(); i++) out.push_back(reinterpret_cast<intptr_t>(a.GetAt(i)));
  return out;
}

TEST(PtrArrayTest, FirstAddAllocatesTenSlots) {
  SPtrArray a;
  EXPECT_EQ(a.GetSize(), 0);
  EXPECT_EQ(a.GetData(), nullptr);
  EXPECT_EQ(a.Add(P(7)), 0);
  EXPECT_EQ(a.GetCapacity(), 10);
  EXPECT_EQ(a.GetSize(), 1);
  EXPECT_EQ(a.GetUpperBound(), 0);
  EXPECT_STREQ(a.GetRuntimeClass(), "SPtrArray");
}

TEST(PtrArrayTest, SetSizeReservesWithoutChangingSize) {
  SPtrArray a;
  Fill(a, {1, 2, 3});
  EXPECT_EQ(a.SetSize(50), 0);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_GE(a.GetCapacity(), 50);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 2, 3}));
  // Slots beyond the size are zero after growing.
  for (int i = 3; i < a.GetCapacity(); i++) EXPECT_EQ(a.GetData()[i], nullptr);
  EXPECT_EQ(a.SetSize(0), 0);
  EXPECT_EQ(a.GetData(), nullptr);
  EXPECT_EQ(a.GetCapacity(), 0);
}

TEST(PtrArrayTest, AutomaticGrowthIsAQuarterWithinLimits) {
  struct Case {
    int capacity, next;
  };
  for (Case c : {Case{4000, 5000}, Case{40, 50}, Case{8, 12}, Case{8000, 9024}}) {
    SPtrArray a;
    a.SetSizeInit(c.capacity, 0);
    for (int i = 0; i < c.capacity; i++) a.Add(P(i + 1));
    ASSERT_EQ(a.GetCapacity(), c.capacity);
    a.Add(P(1));
    EXPECT_EQ(a.GetCapacity(), c.next) << "from " << c.capacity;
    EXPECT_EQ(a.GetAt(c.capacity - 1), P(c.capacity));
  }
}

TEST(PtrArrayTest, FixedStepAndLargeRequests) {
  SPtrArray a;
  a.SetSizeInit(2, 3);
  Fill(a, {1, 2, 3});
  EXPECT_EQ(a.GetCapacity(), 5);
  a.SetSizeInit(-5, -1);  // changes nothing
  Fill(a, {4, 5, 6});
  EXPECT_EQ(a.GetCapacity(), 8);
  a.SetSize(100);  // larger than capacity + step
  EXPECT_EQ(a.GetCapacity(), 100);
  EXPECT_EQ(a.SetAtGrow(150, P(9)), 0);
  EXPECT_EQ(a.GetSize(), 151);
  EXPECT_EQ(a.GetAt(149), nullptr);
}

TEST(PtrArrayTest, InsertAndRemove) {
  SPtrArray a;
  Fill(a, {1, 2, 3});
  a.InsertAt(1, P(9), 2);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 9, 9, 2, 3}));
  a.InsertAt(7, P(8));  // beyond the end: placed at 7, gap zero
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 9, 9, 2, 3, 0, 0, 8}));
  a.RemoveAt(1, 2);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 2, 3, 0, 0, 8}));
  EXPECT_EQ(a.GetData()[6], nullptr);  // vacated slots are cleared
  a.RemoveAt(5);
  EXPECT_EQ(a.GetSize(), 5);
  a.InsertAt(0, P(5), 0);  // nothing to insert
  EXPECT_EQ(a.GetSize(), 5);
  // Counts whose new size would not fit an int change nothing.
  a.InsertAt(0, P(5), INT_MAX);
  a.InsertAt(INT_MAX - 1, P(5), 2);
  EXPECT_EQ(a.GetSize(), 5);
}

TEST(PtrArrayTest, ArrayOperationsWorkOnThemselves) {
  SPtrArray a;
  Fill(a, {1, 2});
  a.InsertAt(1, a);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 1, 2, 2}));
  EXPECT_EQ(a.Append(a), 4);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 1, 2, 2, 1, 1, 2, 2}));
  a.Copy(a);
  EXPECT_EQ(a.GetSize(), 8);
}

TEST(PtrArrayTest, CopyFreeExtraAndDropData) {
  SPtrArray a, b;
  Fill(a, {1, 2, 3, 4, 5});
  Fill(b, {7, 8});
  a.Copy(b);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{7, 8}));
  EXPECT_EQ(a.GetData()[2], nullptr);
  a.FreeExtra();
  EXPECT_EQ(a.GetCapacity(), 2);
  EXPECT_EQ(a.GetPtrIndex(P(8)), 1);
  EXPECT_EQ(a.GetPtrIndex(P(9)), -1);
  void** block = a.GetData();
  a.SetSizeInit(50, 7);
  a.DropData();
  EXPECT_EQ(a.GetData(), nullptr);
  EXPECT_EQ(a.GetSize(), 0);
  free(block);  // taken over by us
  a.Add(P(1));
  EXPECT_EQ(a.GetCapacity(), 10);  // back to the constructed state
  SPtrArray empty;
  a.Copy(empty);
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(PtrArrayTest, SortAndSortInto) {
  SPtrArray a, target;
  Fill(a, {3, 1, 2});
  Fill(target, {9, 9, 9, 9});
  a.SortInto(CompareSlots, target);
  EXPECT_EQ(Values(target), (std::vector<intptr_t>{1, 2, 3}));
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{3, 1, 2}));
  a.Sort(CompareSlots);
  EXPECT_EQ(Values(a), (std::vector<intptr_t>{1, 2, 3}));

  // One entry: the target still becomes its copy (no stale pointers left behind).
  SPtrArray one;
  Fill(one, {5});
  one.SortInto(CompareSlots, target);
  EXPECT_EQ(Values(target), (std::vector<intptr_t>{5}));
  SPtrArray none;
  none.SortInto(CompareSlots, target);
  EXPECT_EQ(target.GetSize(), 0);
}

TEST(PtrArrayTest, FloatArrayReadsOutsideAsOneBillion) {
  SFltArray f;
  EXPECT_EQ(f.GetAt(0), 1.0e9f);
  EXPECT_EQ(f.Add(-2.5f), 0);
  f.Add(3.25f);
  EXPECT_EQ(f.GetAt(0), -2.5f);
  EXPECT_EQ(f.GetAt(1), 3.25f);
  EXPECT_EQ(f.GetAt(-1), 1.0e9f);
  EXPECT_EQ(f.GetAt(2), 1.0e9f);
  f.SetAt(1, 0.1f);
  EXPECT_EQ(f.GetAt(1), 0.1f);
  f.InsertAt(0, 7.0f);
  EXPECT_EQ(f.GetAt(0), 7.0f);
  // The value sits in the low half of the slot.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(f.SPtrArray::GetAt(0)) >> 32, 0u);
}

TEST(PtrArrayTest, IntArrayKeepsNegativeValues) {
  SIntArray n;
  n.Add(-1);
  n.Add(INT32_MIN);
  n.Add(INT32_MAX);
  EXPECT_EQ(n.GetAt(0), -1);
  EXPECT_EQ(n.GetAt(1), INT32_MIN);
  EXPECT_EQ(n.GetAt(2), INT32_MAX);
  n.SetAtGrow(4, 12);
  EXPECT_EQ(n.GetAt(3), 0);
  EXPECT_EQ(n.GetAt(4), 12);
}

TEST(PtrArrayTest, TypedViewCastsOnly) {
  struct Rec {
    int v;
  };
  Rec r1{1}, r2{2};
  STypedPtrArray<Rec> list;
  list.Add(&r2);
  list.InsertAt(0, &r1);
  EXPECT_EQ(list.GetAt(0)->v, 1);
  EXPECT_EQ(list[1]->v, 2);
  EXPECT_EQ(list.GetPtrIndex(&r2), 1);
  list[1] = &r1;
  EXPECT_EQ(list.GetData()[1], &r1);
}

}  // namespace

// Large steps: the first one takes a fresh block, later ones grow in place; either way the
// slots keep their pointers and the new slots read zero.
TEST(PtrArrayTest, LargeStepsKeepSlotsAndZeroTheRest) {
  int marks[3] = {};
  for (int step : {8191, 8192, 100000}) {
    SCOPED_TRACE(step);
    SPtrArray a;
    a.SetSizeInit(0, step);
    for (int i = 0; i < 10; ++i) a.Add(&marks[i % 3]);
    for (int round = 0; round < 2; ++round) {
      const int capacity = a.GetCapacity();
      a.SetSize(capacity + 1);
      EXPECT_EQ(capacity + step, a.GetCapacity());
      for (int i = 0; i < 10; ++i) EXPECT_EQ(&marks[i % 3], a.GetAt(i)) << i;
      for (int i = capacity; i < a.GetCapacity(); i += 997) EXPECT_EQ(nullptr, a.GetData()[i]) << i;
      EXPECT_EQ(nullptr, a.GetData()[a.GetCapacity() - 1]);
    }
  }
}
