// Evaluating a loaded pattern against the newest pivots of a bar manager.
//
// The key-point letters are laid over the newest pivots (first letter = oldest of them),
// every calc variable's formula turns pivot prices into a value, every condition tests its
// variable against its ranges, and the result line turns the conditions into a verdict.
// Users compare these numbers with their own spreadsheets bar by bar, so the arithmetic is
// single precision in the order the formula rules give.

#include "pattern/pattern_eval.h"

#include <charconv>
#include <cstring>

#include "common/settings/trace_log.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

bool IsOperator(char c) { return c == '*' || c == '+' || c == '-' || c == '/'; }

// The leading decimal number of a range bound ("38.2", " -1e2", "50x"); 0 when there is
// none. std::from_chars rather than strtod, so that neither the locale nor hexadecimal or
// "inf" spellings change what a rule file means.
double ReadBound(const char* s) {
  while (*s == ' ' || *s == '\t') ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  if (!((*s >= '0' && *s <= '9') || (*s == '.' && s[1] >= '0' && s[1] <= '9'))) return 0.0;
  double v = 0.0;
  std::from_chars(s, s + std::strlen(s), v, std::chars_format::general);
  return negative ? -v : v;
}

// Field `n` (0-based) of a comma list, into out.
void CommaField(const char* s, int n, CTxt& out) {
  for (int i = 0; i < n && s; ++i) {
    s = std::strchr(s, ',');
    if (s) ++s;
  }
  if (!s) {
    out.MakeEmpty();
    return;
  }
  const char* end = std::strchr(s, ',');
  out.SetTxt(s);
  if (end) out.MakeLength(static_cast<int>(end - s));
}

bool DiagnosticsActive(const CPivPatRec* p, const CBarMgr* mgr) {
  return p->m_nDiagStart > 0 && mgr->m_LastBarDT.GetDate(0) >= p->m_nDiagStart;
}

// Tests a condition's variable against each of its ranges (the ranges text split at "|").
void EvalCondition(CPatRecCond* cond, bool diag) {
  cond->m_fResult = 0.0f;
  const float v = cond->m_pVar ? cond->m_pVar->m_fValue : 0.0f;
  const char* varName = cond->m_pVar ? static_cast<const char*>(cond->m_pVar->m_Name) : "";
  const char* range = cond->m_Ranges;
  CTxt one, bound;
  while (range) {
    const char* bar = std::strchr(range, '|');
    one.SetTxt(range);
    if (bar) one.MakeLength(static_cast<int>(bar - range));
    CommaField(one, 0, bound);
    const double lo = ReadBound(bound);
    CommaField(one, 1, bound);
    const double hi = ReadBound(bound);
    const bool in = lo <= v && v <= hi;
    if (in) cond->m_fResult = 100.0f;
    if (diag) {
      LogTrace("PatRec", 1, "Cond: %s: Var=%9.4f(%-10.10s), Min=%9.4f, Max=%9.4f",
               in ? "InRange " : "OutRange", v, varName, lo, hi);
    }
    range = bar ? bar + 1 : nullptr;
  }
}

}  // namespace

int CPatRecCalc::Describe(CTxt& out) const {
  return out.Format("Var=%-10.10s, Formula=%-12.12s Res=%9.4f", static_cast<const char*>(m_Name),
                    static_cast<const char*>(m_Formula), m_fValue);
}

int EvalFormula(const CPivPatRec* p, const CBarMgr* mgr, const CPatRecCalc* calc, float* value,
                float* var1, float* var2, CTxt& msg) {
  const char* f = calc->m_Formula;
  const char* varName = calc->m_Name;
  const int base = mgr->GetPivotCount() - p->m_nKeyPoints;
  // Operands the formula does not set read as 0 (a formula of neither form, such as
  // "XY/Z", would otherwise take its right operand from nowhere).
  float l1 = 0.0f, l2 = 0.0f, r1 = 0.0f, r2 = 0.0f, left = 0.0f;
  bool firstSet = false, secondSet = false;
  char op = 0;
  int j = 0;
  for (const char* c = f; *c; ++c) {
    if (*c == ' ') continue;
    ++j;
    const unsigned char ch = static_cast<unsigned char>(*c);
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) {
      int pos = p->m_KeyPoints.IsEmpty() ? -1 : p->m_KeyPoints.FindChar(*c);
      const CBarMgrPivot* piv = pos >= 0 ? mgr->GetPivot(base + pos) : nullptr;
      if (!piv) {
        msg.Format("Invalid Pivot Reference '%c' in %s for Variable %s", *c, f, varName);
        return kFormulaBadPivot;
      }
      if (!firstSet) {
        firstSet = true;
        (op ? r1 : l1) = piv->price;
      } else if (!secondSet) {
        secondSet = true;
        (op ? r2 : l2) = piv->price;
      } else {
        msg.Format("Too many Pivot References '%c' in %s for Variable %s", *c, f, varName);
        return kFormulaTooManyPivots;
      }
    } else if (IsOperator(*c)) {
      if (op) continue;  // only the first operator counts
      op = *c;
      if (j > 2) {
        left = l2 - l1;
        firstSet = secondSet = false;
        l1 = l2 = 0.0f;
      } else {
        left = l1;
      }
    } else {
      msg.Format("Unknown operation '%c' in %s for Variable %s", *c, f, varName);
      return kFormulaBadOperation;
    }
  }
  float right = r2;
  if (std::strlen(f) == 5) {
    if (!firstSet) {
      msg.Format("Missing 1st pivot in 2nd Pivot Reference in %s for Variable %s", f, varName);
      return kFormulaMissing1st;
    }
    if (!secondSet) {
      msg.Format("Missing 2nd pivot in 2nd Pivot Reference in %s for Variable %s", f, varName);
      return kFormulaMissing2nd;
    }
    right = r2 - r1;
  }
  const float a = left < 0.0f ? -left : left;
  const float b = right < 0.0f ? -right : right;
  float result = 0.0f;
  switch (op) {
    case '*': result = a * b; break;
    case '+': result = a + b; break;
    case '-': result = a - b; break;
    case '/': result = b == 0.0f ? 0.0f : a * 100.0f / b; break;
    default: break;
  }
  *value = result;
  if (var1) *var1 = a;
  if (var2) *var2 = b;
  return 0;
}

int CalcPattern(CPivPatRec* p, CBarMgr* mgr, CTxt& msg) {
  const int pivots = mgr->GetPivotCount();
  const int k = p->m_nKeyPoints;
  if (pivots < k || !mgr->GetPivot(pivots - 1)) return 0;

  const bool diag = DiagnosticsActive(p, mgr);
  CTxt text, text2;
  if (diag) {
    LogTrace("PatRec", 1, "%s", "========================================");
    DumpBar(mgr->GetBar(mgr->GetBarCount() - 1), text, 4);
    LogTrace("PatRec", 1, "Diagnostics - %s - %d KeyPoints (Max %d):",
             static_cast<const char*>(text), k, pivots);
    for (int i = 0; i < k; ++i) {
      const CBarMgrPivot* piv = mgr->GetPivot(pivots - k + i);
      const CBarMgrData* bar = piv ? mgr->GetBar(piv->bar) : nullptr;
      if (!bar) continue;
      piv->Describe(text);
      DumpBar(bar, text2, 4);
      LogTrace("PatRec", 1, "PivotPt-%c: %s (%s)", p->m_KeyPoints.GetAt(i),
               static_cast<const char*>(text), static_cast<const char*>(text2));
    }
  }

  for (int i = 0; i < p->m_Calcs.GetSize(); ++i) {
    CPatRecCalc* calc = p->m_Calcs[i];
    float value = 0.0f, var1 = 0.0f, var2 = 0.0f;
    int rc = EvalFormula(p, mgr, calc, &value, &var1, &var2, msg);
    if (rc < 0) return rc;
    calc->m_fValue = value;
    if (diag) {
      calc->Describe(text);
      LogTrace("PatRec", 1, "%s Var1=%9.4f, Var2=%9.4f", static_cast<const char*>(text), var1,
               var2);
    }
  }

  for (int i = 0; i < p->m_Conds.GetSize(); ++i) EvalCondition(p->m_Conds[i], diag);

  const int n = p->m_ResultConds.GetSize();
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (p->m_ResultConds[i]->m_fResult > 0.0f) {
      ++count;
      if (p->m_cResultMode == 'O') break;
    }
  }
  ++p->m_nEvalCount;
  p->m_nFound = (p->m_cResultMode == 'O' && count > 0) || count == n ? 1 : 0;
  if (diag) {
    LogTrace("PatRec", 1, "CalcPattern: Result=%d, Type=%c Cnt=%d(Max=%d), Active=%d",
             p->m_nFound, p->m_cResultMode, count, n, p->m_nEvalCount);
  }
  return p->m_nFound;
}

int WriteOutputs(const CPivPatRec* p, SlotBlock block, int maxSlots) {
  if (p->m_nEvalCount == 0 || maxSlots < 1) return 0;
  block.Set(0, p->m_nFound ? 100.0f : 0.0f);
  int m = p->m_Outputs.GetSize();
  if (m > maxSlots - 1) m = maxSlots - 1;
  for (int i = 0; i < m; ++i) {
    const int ref = p->m_Outputs.GetAt(i);
    float v = 0.0f;
    if (ref > 0 && ref <= p->m_Calcs.GetSize()) {
      v = p->m_Calcs[ref - 1]->m_fValue;
    } else if (ref < 0 && -1 - ref < p->m_Conds.GetSize()) {
      v = p->m_Conds[-1 - ref]->m_fResult;
    }
    block.Set(i + 1, v);
  }
  return m + 1;
}
