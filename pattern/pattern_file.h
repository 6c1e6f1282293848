// Pivot patterns as read from the users' rule files: the loaded pattern and its loader.
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
// - Nothing here throws or locks. LoadPattern logs to the trace log.
// - Results are numbers: 0 / counts on success, small negative numbers for failures, with
//   the message in the caller's CTxt.
#pragma once

#include "common/text/ptr_array.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"

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
