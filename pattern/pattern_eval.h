// Pattern evaluation: a loaded pattern (pattern_file.h) matched against the newest pivots of
// a bar manager, and the result block the study reads.
//
// Contract: nothing here throws or locks; CalcPattern logs its diagnostics to the trace
// log. Results are numbers: the verdict or a count on success, a small negative kFormula...
// code for a formula error, with the message in the caller's CTxt.
#pragma once

#include "common/text/txt.h"
#include "hostbridge/slot_block.h"
#include "pattern/pattern_file.h"

class CBarMgr;

// Formula errors of CalcPattern.
inline constexpr int kFormulaBadPivot = -1;
inline constexpr int kFormulaTooManyPivots = -2;
inline constexpr int kFormulaBadOperation = -3;
inline constexpr int kFormulaMissing1st = -4;
inline constexpr int kFormulaMissing2nd = -5;

// Evaluates p against the newest pivots of mgr. Result: 1 found, 0 not found (also when
// there are fewer pivots than key points: nothing changes then), or a negative kFormula...
// error with its message in msg (variables computed before it keep their new values; the
// verdict and evaluation count stay as they were).
int CalcPattern(CPivPatRec* p, CBarMgr* mgr, CTxt& msg);

// Value of one formula over the pivots of mgr (p's key points mapped onto the newest
// pivots; the caller guarantees at least m_nKeyPoints pivots). var1 / var2 receive the two
// operand magnitudes. Result 0 and *value, or a negative kFormula... error with msg.
// A formula that fits neither "X op Y" nor "XY op ZW" uses 0 for every operand it does not
// set itself.
int EvalFormula(const CPivPatRec* p, const CBarMgr* mgr, const CPatRecCalc* calc, float* value,
                float* var1, float* var2, CTxt& msg);

// No bound on the result block beyond the caller's promise (the plain export's case).
inline constexpr int kPatUnboundedSlots = 0x7fffffff;

// Writes the verdict (slot 0: 100 or 0) and the outputs (slots 1..m) into block, never more
// than maxSlots slots: the number of outputs comes from the user's rule file, while a caller
// with a fixed block (the combined entry's 100 slots) must not be written past its end.
// Result 0 when p has not been evaluated yet or maxSlots is below 1 (nothing written), else
// the number of slots written: m + 1, or maxSlots when there are more outputs than fit.
int WriteOutputs(const CPivPatRec* p, SlotBlock block, int maxSlots = kPatUnboundedSlots);
