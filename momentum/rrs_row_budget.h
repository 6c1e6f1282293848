// One budget for the sorted rows of every XMT_RRS history in the process.
//
// A history whose window keeps sorted rows holds about c (c - 1) 4 bytes for a scope of c
// (16.8 MB at 2048) for the life of the library, once per key combination. The rows of all
// histories together are held to kRrsRowBudgetBytes: a history made when its rows would go
// past it computes its slopes directly from its points instead, with the same results,
// only slower. A history gives its bytes back when it is freed.
//
// Not thread-safe: the host calls from its study-calculation thread only.
#pragma once

inline constexpr long long kRrsRowBudgetBytes = 256LL << 20;  // 256 MiB

// Bytes of sorted rows a window of up to maxPoints points keeps.
long long RrsRowBytes(int maxPoints);

// Takes the rows of a new window of maxPoints from the budget. Result: the bytes taken, 0
// when they do not fit (the window then keeps no rows).
long long TakeRrsRowBudget(int maxPoints);

// Gives bytes taken by TakeRrsRowBudget back.
void GiveBackRrsRowBudget(long long bytes);

// Tests: the budget's size (kRrsRowBudgetBytes at load); bytes taken now.
void SetRrsRowBudgetForTest(long long bytes);
long long RrsRowBytesTaken();
