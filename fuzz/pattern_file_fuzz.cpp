// Fuzz target: the bytes as a user's rule file "PR_<name>.txt".
//
// The file goes into the pattern folder of the temporary root, is loaded directly and
// through the registry, and a loaded pattern is evaluated over a few pivot lists (ordinary
// swings, equal and zero prices, extreme values) and written into result blocks of exactly
// the size it promises, so that a write past the end is caught.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"
#include "fuzz/fuzz_env.h"
#include "hostbridge/slot_block.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/xmt_pattern.h"
#include "studycore/barmgr/bar_mgr.h"

namespace {

const char kName[] = "fuzz";

// Pivot lists: prices of alternating lows and highs, oldest first.
const std::vector<std::vector<float>> kPivotSets = {
    {10.0f, 20.0f, 15.0f, 25.0f, 18.0f, 30.0f, 22.0f},
    {5.0f, 5.0f, 5.0f, 5.0f, 5.0f},
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {-1.0f, 3.4e38f, 1e-38f, -3.4e38f, 7.0f},
    {1.0f, 2.0f},
};

void Evaluate(CPivPatRec* p) {
  for (const std::vector<float>& prices : kPivotSets) {
    CBarMgr m;
    CXMTDateTime dt;
    dt.SetDT(20150415, 0);
    for (size_t i = 0; i < prices.size() * 3; ++i)
      m.AddBar(dt, 10.0f, 12.0f, 9.0f, 11.0f, 100.0f, static_cast<int>(i) + 1, 0);
    for (size_t i = 0; i < prices.size(); ++i)
      m.SetPivot(static_cast<int>(i) * 3, prices[i], i % 2 ? 1 : -1, 2);
    CTxt msg;
    CalcPattern(p, &m, msg);
    // Exactly the slots promised: the verdict and one per output.
    const size_t slots = static_cast<size_t>(p->m_Outputs.GetSize()) + 1;
    std::vector<XmtSlot> block(slots);
    WriteOutputs(p, SlotBlock(block.data()));
    std::vector<XmtSlot> small(2);
    WriteOutputs(p, SlotBlock(small.data()), 2);
    WriteOutputs(p, SlotBlock(), 5);
  }
  CTxt out;
  for (int i = 0; i < p->m_Calcs.GetSize(); ++i) p->m_Calcs[i]->Describe(out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  MakeDirPath(kPatternDir, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = Platform::Default().NativePath(
      (std::string(kPatternDir) + "/PR_" + kName + ".txt").c_str());
  if (!WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;

  CPivPatRec p;
  CTxt err;
  if (LoadPattern(&p, kName, err) >= 0) Evaluate(&p);

  CTxt regErr;
  if (CPivPatRec* r = FindPattern(kName, "fuzz-id", regErr)) Evaluate(r);
  ClearPatterns();
  return 0;
}
