// Reading pattern rule files into CPivPatRec.
//
// A rule file is a list of sections ("Symbols:", "Calc:", "Cond:", "Result:", "Output:",
// "DiagStart:"), each header alone on its line, followed by its content lines. Leading
// spaces are skipped, empty lines and ";" comments ignored, and anything before the first
// header is ignored too. A definition that repeats a name keeps the first one; a second
// "Result:" line replaces the first. The first faulty calc, condition or result line stops
// the load with a message naming the line; an output naming nothing known is only logged.
// A file without key-point letters (no "Symbols:" line) does not load.
#include <cstdlib>
#include <new>
#include <string>

#include "common/lists/txt_array.h"
#include "common/platform/platform.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"
#include "pattern/pattern_file.h"

namespace {

enum class Section { None, Symbols, Calc, Cond, Result, Output, DiagStart };

struct Header {
  const char* text;
  Section section;
};

constexpr Header kHeaders[] = {
    {"Symbols:", Section::Symbols}, {"Calc:", Section::Calc},     {"Cond:", Section::Cond},
    {"Result:", Section::Result},   {"Output:", Section::Output}, {"DiagStart:", Section::DiagStart},
};

bool SameName(const char* a, const char* b) { return CompareNoCase(a, b, 1) == 0; }

std::string TrimmedBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// Splits at every separator; an empty text gives one empty field.
std::vector<std::string> SplitAll(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t pos = s.find(sep, start);
    if (pos == std::string::npos) {
      out.push_back(s.substr(start));
      return out;
    }
    out.push_back(s.substr(start, pos - start));
    start = pos + 1;
  }
}


// First record of list whose name equals name without regard to case; its index to *index.
template <class T>
T* FindByName(const STypedPtrArray<T>& list, const char* name, int* index) {
  for (int i = 0; i < list.GetSize(); ++i) {
    if (SameName(list[i]->m_Name, name)) {
      if (index) *index = i;
      return list[i];
    }
  }
  return nullptr;
}

// "name=formula": the formula is the text between the first and a second "=". A line
// without a name cannot be referred to and is refused.
int ParseCalcLine(CPivPatRec* p, const char* line, CTxt& msg) {
  std::string s(line);
  size_t eq = s.find('=');
  std::string name = s.substr(0, eq);
  if (name.empty()) {
    msg.Format("Missing Variable Name in Calc %s", line);
    return -1;
  }
  if (p->FindCalc(name.c_str())) return 0;  // the first definition wins
  std::string formula;
  if (eq != std::string::npos) {
    size_t eq2 = s.find('=', eq + 1);
    formula = s.substr(eq + 1, eq2 == std::string::npos ? std::string::npos : eq2 - eq - 1);
  }
  auto* calc = new CPatRecCalc;
  const bool copied =
      calc->m_Name.SetTxt(name.c_str()) >= 0 && calc->m_Formula.SetTxt(formula.c_str()) >= 0;
  if (!copied || p->m_Calcs.Add(calc) < 0) {
    delete calc;
    msg.Format("Cannot store Variable %s", name.c_str());
    return -1;
  }
  return 0;
}

}  // namespace

void CPivPatRec::Clear() {
  for (int i = 0; i < m_Calcs.GetSize(); ++i) delete m_Calcs[i];
  for (int i = 0; i < m_Conds.GetSize(); ++i) delete m_Conds[i];
  m_Calcs.RemoveAll();
  m_Conds.RemoveAll();
  m_ResultConds.RemoveAll();
  m_Outputs.RemoveAll();
}

CPatRecCalc* CPivPatRec::FindCalc(const char* name, int* index) const {
  return FindByName(m_Calcs, name, index);
}

CPatRecCond* CPivPatRec::FindCond(const char* name, int* index) const {
  return FindByName(m_Conds, name, index);
}

namespace {

// A condition: "name=variable|min,max|...". 0, or -1 with the message in msg.
int ParseCondLine(CPivPatRec* p, const char* line, CTxt& msg) {
  std::string s(line);
  size_t eq = s.find('=');
  std::string name = s.substr(0, eq);
  if (p->FindCond(name.c_str())) return 0;  // the first definition wins
  std::string rest = eq == std::string::npos ? std::string() : s.substr(eq + 1);
  std::vector<std::string> fields = SplitAll(rest, '|');
  std::string varName = TrimmedBlanks(fields[0]);
  CPatRecCalc* var = p->FindCalc(varName.c_str());
  if (!var) {
    msg.Format("Unknown Variable '%s' in Condition %s", varName.c_str(), line);
    return -1;
  }
  if (fields.size() < 2) {
    msg.Format("Missing Value Range(s) in Condition %s", line);
    return -1;
  }
  for (size_t i = 1; i < fields.size(); ++i) {
    std::vector<std::string> minMax = SplitAll(fields[i], ',');
    if (TrimmedBlanks(minMax[0]).empty()) {
      msg.Format("Missing Min Value in Range '%s' in Condition %s", fields[i].c_str(), line);
      return -1;
    }
    if (minMax.size() < 2 || TrimmedBlanks(minMax[1]).empty()) {
      msg.Format("Missing Max Value in Range '%s' in Condition %s", fields[i].c_str(), line);
      return -1;
    }
  }
  auto* cond = new CPatRecCond;
  const bool copied = cond->m_Name.SetTxt(name.c_str()) >= 0 &&
                     cond->m_Ranges.SetTxt(rest.substr(fields[0].size() + 1).c_str()) >= 0;
  cond->m_nRanges = static_cast<int>(fields.size()) - 1;
  cond->m_pVar = var;
  if (!copied || p->m_Conds.Add(cond) < 0) {
    delete cond;
    msg.Format("Cannot store Condition %s", line);
    return -1;
  }
  return 0;
}

// The verdict: "mode=cond,cond,...". 0, or -1 an unknown condition, -2 none named.
int ParseResultLine(CPivPatRec* p, const char* line, CTxt& msg) {
  std::string s(line);
  size_t eq = s.find('=');
  p->m_cResultMode = SameName(s.substr(0, eq).c_str(), "OR") ? 'O' : 'A';
  p->m_ResultConds.RemoveAll();
  if (eq != std::string::npos) {
    for (const std::string& field : SplitAll(s.substr(eq + 1), ',')) {
      std::string condName = TrimmedBlanks(field);
      if (condName.empty()) continue;  // "a,,b" and a trailing comma name nothing
      CPatRecCond* cond = p->FindCond(condName.c_str());
      if (!cond) {
        msg.Format("Unknown Condition '%s' in Result %s", condName.c_str(), line);
        return -1;
      }
      if (p->m_ResultConds.Add(cond) < 0) {
        msg.Format("Cannot store Condition %s", condName.c_str());
        return -1;
      }
    }
  }
  if (p->m_ResultConds.GetSize() == 0) {
    msg.Format("Missing Condition(s) in Result %s", line);
    return -2;
  }
  p->m_ResultLine.SetTxt(line);
  return 0;
}

}  // namespace

int LoadPattern(CPivPatRec* p, const char* name, CTxt& err) {
  if (!name) name = "";
  // A fresh record has an empty name; it must not pass for an empty pattern name already
  // loaded, or an empty name would give a pattern without content that is always "found".
  if (p->m_Name.IsFilled() && SameName(p->m_Name, name)) return kPatAlreadyLoaded;

  p->m_FilePath.Format(kPatternFileFmt, kPatternDir, name);
  if (Platform::Default().FileAccess(p->m_FilePath, 0) != 0) {
    err.Format("Cannot find Pattern: %s (%s)", name, static_cast<const char*>(p->m_FilePath));
    return kPatFileMissing;
  }
  // Rule files come from many editors: LF, CR LF and CR alone all end a line. Read with
  // CR dropped, a CR-only file would be one line and a pattern without content.
  CTxtArray lines;
  CTxt readMsg;
  const int read = lines.LoadFromFileBuf(p->m_FilePath, readMsg, 0, true);
  if (read < 0) {
    err.Format("PR-Err2: Cannot find PR_%s.txt (%s)", name, static_cast<const char*>(readMsg));
    return kPatReadError;
  }

  Section section = Section::None;
  bool expectKeyPoints = false;
  for (int i = 0; i < lines.GetSize(); ++i) {
    const int lineNo = i + 1;
    const char* line = lines.GetAtTxt(i);
    if (!line) continue;
    while (*line == ' ') ++line;
    if (*line == 0 || *line == ';') continue;

    bool isHeader = false;
    for (const Header& h : kHeaders) {
      if (SameName(line, h.text)) {
        section = h.section;
        expectKeyPoints = section == Section::Symbols;
        isHeader = true;
        break;
      }
    }
    if (isHeader) continue;

    CTxt msg;
    switch (section) {
      case Section::None:
        break;
      case Section::Symbols:
        if (expectKeyPoints) {
          p->m_KeyPoints.SetTxt(TrimmedBlanks(line).c_str());
          p->m_nKeyPoints = p->m_KeyPoints.GetLength();
          expectKeyPoints = false;
        } else if (SameName(line, "Low") || SameName(line, "Min")) {
          p->m_nDirFilter = -1;
        } else if (SameName(line, "High") || SameName(line, "Max")) {
          p->m_nDirFilter = 1;
        }
        break;
      case Section::Calc:
        if (ParseCalcLine(p, line, msg) < 0) {
          err.Format("Line%d, Calc Error (%s) Line=%s", lineNo, static_cast<const char*>(msg), line);
          return kPatCalcError;
        }
        break;
      case Section::Cond:
        if (ParseCondLine(p, line, msg) < 0) {
          err.Format("Line%d, Cond Error (%s) Line=%s", lineNo, static_cast<const char*>(msg), line);
          return kPatCondError;
        }
        break;
      case Section::Result:
        if (ParseResultLine(p, line, msg) < 0) {
          err.Format("Line%d, Result Error (%s) Line=%s", lineNo, static_cast<const char*>(msg),
                     line);
          return kPatResultError;
        }
        break;
      case Section::Output: {
        int index = 0;
        int stored = 0;
        if (p->FindCalc(line, &index)) {
          stored = p->m_Outputs.Add(index + 1);
        } else if (p->FindCond(line, &index)) {
          stored = p->m_Outputs.Add(-1 - index);
        } else {
          LogTrace("PatRec", 1, "Line%d, Unknown Output Line=%s", lineNo, line);
        }
        if (stored < 0) throw std::bad_alloc();  // a pattern short of an output is no pattern
        break;
      }
      case Section::DiagStart:
        p->m_nDiagStart = TextToIntSaturated(line);
        break;
    }
  }

  // Without key points a pattern has nothing to match, and an evaluation would call it
  // found on every pivot: refuse it instead.
  if (p->m_nKeyPoints == 0) {
    err.Format("Missing Key Points (Symbols:) in %s", static_cast<const char*>(p->m_FilePath));
    return kPatNoKeyPoints;
  }
  // The name is the record's key in the registry: without it the record could be listed
  // but never found, and every call would load the file again.
  if (p->m_Name.SetTxt(name) < 0) {
    err.SetTxt("Out of memory");
    return kPatReadError;
  }
  LogTrace("PatRec", 1, "Loaded %d lines for Pattern %s (%s) (DiagStart=%d, DirFilter=%d)",
           lines.GetSize(), name, static_cast<const char*>(p->m_FilePath), p->m_nDiagStart,
           p->m_nDirFilter);
  return kPatLoaded;
}
