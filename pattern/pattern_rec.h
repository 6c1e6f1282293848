// Pivot patterns: their definitions as read from the users' rule files, and their evaluation.
//
// A pattern file "C:/Database/DO_DER/PR_<name>.txt" names the key points of a chart pattern
// by letters (one per pivot, oldest first), defines calc variables as formulas over those
// pivots' prices, conditions as value ranges of the variables, a verdict over the
// conditions and the values the study gets back. CPivPatRec is one loaded file; the pattern
// registry (pattern_registry.h) keeps one per (pattern name, study ID).
//
// Contract:
// - A CPivPatRec owns its calc variables and conditions; the result conditions point into
//   the condition list and a condition's variable into the calc list (not owned). Clear()
//   frees everything; the destructor calls it.
// - Names (variables, conditions, outputs, headers) compare without regard to case and
//   over the whole text; key-point letters compare exactly.
// - Nothing here throws or locks. LoadPattern and CalcPattern log to the trace log.
// - Results are numbers: 0 / counts on success, small negative numbers for failures, with
//   the message in the caller's CTxt.
#pragma once

#include "common/text/ptr_array.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"
#include "hostbridge/slot_block.h"
#include "pattern/xmt_pattern.h"

class CBarMgr;

// Folder of the pattern files (a host path; the platform maps it) and the file name form.
inline constexpr const char* kPatternDir = "C:/Database/DO_DER";
inline constexpr const char* kPatternFileFmt = "%s/PR_%s.txt";

// LoadPattern results.
inline constexpr int kPatLoaded = 0;
inline constexpr int kPatAlreadyLoaded = 1;
inline constexpr int kPatFileMissing = -1;
inline constexpr int kPatReadError = -2;
inline constexpr int kPatCalcError = -3;
inline constexpr int kPatCondError = -4;
inline constexpr int kPatResultError = -5;
inline constexpr int kPatNoKeyPoints = -6;  // no key-point letters: nothing to match

// Formula errors of CalcPattern.
inline constexpr int kFormulaBadPivot = -1;
inline constexpr int kFormulaTooManyPivots = -2;
inline constexpr int kFormulaBadOperation = -3;
inline constexpr int kFormulaMissing1st = -4;
inline constexpr int kFormulaMissing2nd = -5;

// One computed variable: "name=formula" of the "Calc:" section.
class CPatRecCalc {
 public:
  CTxt m_Name;
  CTxt m_Formula;
  float m_fValue = 0.0f;  // set by each evaluation

  // "Var=%-10.10s, Formula=%-12.12s Res=%9.4f". Result: the text's length.
  int Describe(CTxt& out) const;
};

// One condition: a variable tested against one or more min,max ranges.
class CPatRecCond {
 public:
  CTxt m_Name;
  CTxt m_Ranges;              // "min,max|min,max|..." as written in the file
  int m_nRanges = 0;
  float m_fResult = 0.0f;     // 100 when the variable lay in a range last time, else 0
  CPatRecCalc* m_pVar = nullptr;  // not owned
};

class CPivPatRec {
 public:
  CPivPatRec() = default;
  ~CPivPatRec() { Clear(); }
  CPivPatRec(const CPivPatRec&) = delete;
  CPivPatRec& operator=(const CPivPatRec&) = delete;

  // Frees the calc variables and conditions and empties every list.
  void Clear();

  CPatRecCalc* FindCalc(const char* name, int* index = nullptr) const;
  CPatRecCond* FindCond(const char* name, int* index = nullptr) const;

  CTxt m_Name;        // empty until loaded
  CTxt m_ID;          // study instance that loaded it
  CTxt m_FilePath;
  CTxt m_KeyPoints;   // key-point letters, oldest pivot first
  CTxt m_ResultLine;  // last accepted "Result:" line
  SIntArray m_Outputs;  // n + 1: calc variable n; -1 - n: condition n
  int m_nKeyPoints = 0;
  char m_cResultMode = 'A';  // 'A' all conditions, 'O' any condition
  int m_nEvalCount = 0;
  int m_nDiagStart = 0;  // yyyymmdd from which diagnostics are logged; 0 none
  int m_nFound = 0;      // verdict of the last evaluation
  int m_nDirFilter = 0;  // -1 lows only, +1 highs only, 0 both
  STypedPtrArray<CPatRecCond> m_ResultConds;  // not owned
  STypedPtrArray<CPatRecCalc> m_Calcs;        // owned
  STypedPtrArray<CPatRecCond> m_Conds;        // owned
};

// Loads "C:/Database/DO_DER/PR_<name>.txt" into p (which should be empty). Result:
// kPatLoaded, kPatAlreadyLoaded when p already holds this (non-empty) name, or a negative
// kPat... code with the message in err. A null name is treated as empty.
int LoadPattern(CPivPatRec* p, const char* name, CTxt& err);

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

// The body of the export XMT_PATTERN_CalcPat (see xmt_pattern.h); maxSlots bounds the result
// block as for WriteOutputs. err may be null; at most kPatternErrBufSize bytes (terminator
// included) are written to it.
inline constexpr int kPatternErrBufSize = XMT_PATTERN_ERR_BUF_SIZE;
int CalcPat(int unused, const char* id, int barPos, int left, int right, SlotBlock block,
            const char* name, char* err, int maxSlots = kPatUnboundedSlots);
