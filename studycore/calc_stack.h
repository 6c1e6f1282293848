// CCalcStack: a fixed-length ring of single-precision values that keeps, on every added
// value, the running maximum and minimum and one running result (simple, exponential or
// weighted moving average, depending on the add the owner calls). It also serves as a plain
// value buffer that can be stepped back and whose median can be taken.
//
// Contract:
// - A new stack has every field zero: plain mode, no tables, not initialised.
// - SetLength(N) with N from 1 to 1000000 makes it initialised and empty (a ring of N zeros);
//   N <= 0 leaves it not initialised and returns 1; a longer N or a failed allocation returns
//   0 and leaves it not initialised (no table at all).
// - The adds return 1, or 0 with a "...: Stack not initialized" line under "VozoReru" when
//   there is no value table; fMax/fMin cover every value since the stack was last emptied.
// - All arithmetic is single precision, in the order the operations describe.
// - Owners read fAvg, fMax, fMin, nCount and nLength directly and set bWeighted directly
//   before SetLength. The stack owns its tables: Free, a re-size and the destructor release
//   them. Copying is not allowed (two stacks would free one table).
// - No operation throws; failures are reported through the result and the trace log.
#pragma once

#include <cstdint>

class CCalcStack {
 public:
  CCalcStack() = default;
  ~CCalcStack() { Free(); }
  CCalcStack(const CCalcStack&) = delete;
  CCalcStack& operator=(const CCalcStack&) = delete;

  // Releases both tables; bWeighted, nCount, nSize and nLength become 0 (nPos, fAvg, fMax
  // and fMin stay as they are).
  void Free();
  // 1: ready and empty (or, for N <= 0, emptied and not initialised); 0: refused (N above
  // one million) or out of memory, logged under "VozoReru". The same length again only
  // empties the ring and clears the weights; fAvg, fMax and fMin are never touched here.
  int SetLength(int n);

  // Store x (wrapping over the oldest value once full) and keep fMax/fMin. 1, or 0 when not
  // initialised.
  int Add(float x);
  // As Add, then fAvg = the plain average of the held values.
  int AddMA(float x);
  // As Add, then fAvg = exponential average with period nLength (the first value seeds it).
  int AddEMA(float x);
  // As Add, then fAvg = weighted average; weight table entry k weighs the k-th newest value
  // (no table, or a weight of 0 or less, counts as 1).
  int AddWgtAvg(float x);

  // Stores w at weight entry index (0 .. nLength - 1), creating the table when missing. In
  // plain mode the table is cleared first, so only the last stored weight is kept. 1, or 0
  // for an index out of range (silently) or when memory fails (logged).
  int SetWeight(float w, int index);

  // Takes back the last k values (at most nCount): their slots become 0 and the next adds
  // overwrite them in order; nCount, fAvg, fMax and fMin stay. 0; -1 not initialised;
  // -2 empty.
  int Rewind(int k);

  // Median of the held values (0 when empty). Sorts the held slots in place, so the order
  // of insertion is lost. NaN values sort after every number.
  float Median();

  uint32_t nPos = 0;     // ring index at which the next value is written
  uint32_t nCount = 0;   // values held, 0 .. nSize
  uint32_t nSize = 0;    // ring slots in use (nLength once initialised)
  uint32_t nLength = 0;  // stack length N: EMA period and weight-table size
  float fAvg = 0;        // result of the last averaging add
  float fMax = 0;        // largest value since the stack was last emptied
  float fMin = 0;        // smallest value since the stack was last emptied
  int32_t bWeighted = 0;  // 1: SetLength creates and clears the weight table with the values
  float* pVal = nullptr;  // value ring, nLength entries; null while not initialised
  float* pWgt = nullptr;  // weight table, nLength entries; null until needed

 private:
  // The step every add shares; false (after logging "<op>: Stack not initialized") when
  // there is no value table.
  bool StoreValue(float x, const char* op);
};

// SetLength for a stack whose tables must be had: memory running out throws std::bad_alloc
// (for the export's guard) instead of leaving the stack uninitialised. A length out of
// range is refused as by SetLength. Result SetLength's result.
int SetLengthOrThrow(CCalcStack& stack, int n);
