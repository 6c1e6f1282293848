// Checks a pattern rule file (see check.h). The verdict comes from the built library's own
// XMT_PATTERN_CalcPat, which loads the file before anything else; the description of what
// was understood comes from the same loader compiled into the simulator.
#include "tools/xmt-host/check.h"

#include <filesystem>

#include "pattern/pattern_file.h"
#include "tools/xmt-host/library.h"
#include "tools/xmt-host/study_kit.h"

namespace {

std::string Describe(const CPivPatRec& p) {
  std::string text = "key points: " + std::string(p.m_KeyPoints) + " (" +
                     std::to_string(p.m_nKeyPoints) + " pivots, oldest first), " +
                     (p.m_nDirFilter > 0   ? "newest pivot a high"
                      : p.m_nDirFilter < 0 ? "newest pivot a low"
                                           : "newest pivot a high or a low") +
                     "\n";
  text += "calculations:\n";
  for (int i = 0; i < p.m_Calcs.GetSize(); ++i)
    text += "  " + std::string(p.m_Calcs[i]->m_Name) + " = " + std::string(p.m_Calcs[i]->m_Formula) + "\n";
  text += "conditions:\n";
  for (int i = 0; i < p.m_Conds.GetSize(); ++i) {
    const CPatRecCond* c = p.m_Conds[i];
    text += "  " + std::string(c->m_Name) + ": " +
            (c->m_pVar ? std::string(c->m_pVar->m_Name) : std::string("?")) + " in " +
            std::string(c->m_Ranges) + " (" + std::to_string(c->m_nRanges) + " ranges)\n";
  }
  text += "result: " + std::string(p.m_ResultLine) + " (found when " +
          (p.m_cResultMode == 'O' ? "any" : "all") + " of";
  for (int i = 0; i < p.m_ResultConds.GetSize(); ++i)
    text += " " + std::string(p.m_ResultConds[i]->m_Name);
  text += " hold)\noutputs (slots 1..):";
  for (int i = 0; i < p.m_Outputs.GetSize(); ++i) {
    const int o = p.m_Outputs.GetAt(i);
    text += " " + std::string(o > 0 ? p.m_Calcs[o - 1]->m_Name : p.m_Conds[-1 - o]->m_Name);
  }
  if (p.m_Outputs.GetSize() == 0) text += " none";
  text += "\n";
  if (p.m_nDiagStart > 0) text += "diagnostics from " + std::to_string(p.m_nDiagStart) + "\n";
  return text;
}

}  // namespace

int CheckPatternFile(const std::string& file, const std::string& library, std::string* report) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    *report = file + ": no such pattern file";
    return 3;
  }
  std::string name, error;
  if (!InstallPattern(file, &name, &error)) {
    *report = error;
    return 3;
  }
  Library lib;
  XMT_PATTERN_CalcPat_fn calc = nullptr;
  if (!lib.Open(library.empty() ? Library::BesideProgram("XMT_PATTERN") : library, &error) ||
      !BindExport(lib, "XMT_PATTERN_CalcPat", &calc, &error)) {
    *report = error;
    return 4;
  }
  // Position 1 makes the library read the file afresh (an edited file is read again).
  XmtSlot block[100] = {};
  char err[XMT_PATTERN_ERR_BUF_SIZE] = "";
  if (calc(0, "XMTHOST_CHECK", 1, 5, 5, block, name.c_str(), err) == -5) {
    *report = file + ": " + err;
    return 1;
  }
  CPivPatRec rec;
  CTxt msg;
  if (LoadPattern(&rec, name.c_str(), msg) < 0) {  // the library took it: this cannot differ
    *report = file + ": " + std::string(msg);
    return 1;
  }
  *report = file + ": pattern " + name + " loads\n" + Describe(rec);
  return 0;
}
