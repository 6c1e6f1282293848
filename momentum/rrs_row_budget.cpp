// The process-wide budget of the RRS histories' sorted rows (see rrs_row_budget.h).

#include "momentum/rrs_row_budget.h"

#include "momentum/rrs_window.h"

namespace {
long long g_budget = kRrsRowBudgetBytes;
long long g_taken = 0;
}  // namespace

long long RrsRowBytes(int maxPoints) {
  const long long c = maxPoints < 2 ? 2 : maxPoints;
  return c * (c - 1) * 4;
}

long long TakeRrsRowBudget(int maxPoints) {
  if (maxPoints > RrsWindow::kMaxSortedPoints) return 0;  // such windows keep no rows anyway
  const long long bytes = RrsRowBytes(maxPoints);
  if (g_taken + bytes > g_budget) return 0;
  g_taken += bytes;
  return bytes;
}

void GiveBackRrsRowBudget(long long bytes) { g_taken -= bytes; }

void SetRrsRowBudgetForTest(long long bytes) { g_budget = bytes; }

long long RrsRowBytesTaken() { return g_taken; }
