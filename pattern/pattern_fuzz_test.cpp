// Generated and corrupted rule files through the loader and the evaluation: no crash, no
// write outside the result block (run it under the sanitizers), every failure reported with
// its code and a message of its kind, and every loaded pattern internally consistent.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/testing/log_capture.h"
#include "common/text/txt.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/testing/pattern_test_env.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

const char* const kHeaderWords[] = {"Symbols:", "Calc:", "Cond:", "Result:", "Output:",
                                    "DiagStart:", "symbols:", "CALC:", " Cond:"};
const char* const kPieces[] = {"XABCD", "ABC", "AB", "Low", "High", "Max", "min", "V1=XA/AB",
                               "V2=AB/BC", "V3=A/B", "V4=A-B", "V5=XY/Z", "V6=X A/B", "V7=",
                               "V8=A%B", "V9=XQ/AB", "C1=V1|38,62", "C2=V2|0,100|150,200",
                               "C3=V3|1,", "C4=V9| ,4", "C5=V4", "C6=V5|-1e3,1e3",
                               "AND=C1,C2", "OR=C1, C6", "AND=", "OR=C9", "V1", "C2", "nothing",
                               "20150301", "-5", "; note", "", "   ", "=X/Y", "XY/AB"};

std::string MakeLine(std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 9);
  if (pick(rng) < 3) {
    return kHeaderWords[rng() % (sizeof kHeaderWords / sizeof kHeaderWords[0])];
  }
  std::string line = kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
  if (pick(rng) == 0) line += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
  return line;
}

// Flips, inserts and deletes bytes, including line ends, zero bytes, Ctrl-Z and
// separators, and sometimes appends a long line.
void Corrupt(std::string& text, std::mt19937& rng) {
  static const char kSpecial[] = {'\0', '\r', '\n', '\x1a', '|', ',', '=', ' ', '\xff', '\x80',
                                  'A', 'z', '/', '*', '-', '+'};
  int edits = static_cast<int>(rng() % 6);
  for (int i = 0; i < edits && !text.empty(); ++i) {
    size_t at = rng() % text.size();
    switch (rng() % 3) {
      case 0: text[at] = kSpecial[rng() % sizeof kSpecial]; break;
      case 1: text.insert(at, 1, static_cast<char>(rng() % 256)); break;
      default: text.erase(at, 1 + rng() % 4); break;
    }
  }
  if (rng() % 10 == 0) text += "Calc:\n" + std::string(1500 + rng() % 500, 'A') + "=A/B\n";
  if (rng() % 10 == 0) text += "Cond:\nC=V1" + std::string(300, '|') + "\n";
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Structure a loaded pattern must always have.
void ExpectConsistent(const CPivPatRec& p) {
  EXPECT_EQ(p.m_KeyPoints.GetLength(), p.m_nKeyPoints);
  EXPECT_TRUE(p.m_cResultMode == 'A' || p.m_cResultMode == 'O');
  EXPECT_TRUE(p.m_nDirFilter >= -1 && p.m_nDirFilter <= 1);
  for (int i = 0; i < p.m_Outputs.GetSize(); ++i) {
    int ref = p.m_Outputs.GetAt(i);
    EXPECT_TRUE((ref > 0 && ref <= p.m_Calcs.GetSize()) ||
                (ref < 0 && -1 - ref < p.m_Conds.GetSize()))
        << ref;
  }
  for (int i = 0; i < p.m_Conds.GetSize(); ++i) {
    EXPECT_GE(p.m_Calcs.GetPtrIndex(p.m_Conds[i]->m_pVar), 0);
    EXPECT_GE(p.m_Conds[i]->m_nRanges, 1);
  }
  for (int i = 0; i < p.m_ResultConds.GetSize(); ++i)
    EXPECT_GE(p.m_Conds.GetPtrIndex(p.m_ResultConds[i]), 0);
}

TEST(PatternFuzzTest, GeneratedAndCorruptedFiles) {
  PresetDataDrive();
  LogCapture log;
  log.Start("pft_pattern_fuzz");
  std::mt19937 rng(20150415);
  const char* const kLoadKinds[] = {"", "", "", "Calc Error (", "Cond Error (", "Result Error ("};
  const char* const kFormulaMessages[] = {"Invalid Pivot Reference '", "Too many Pivot References '",
                                          "Unknown operation '", "Missing 1st pivot in 2nd",
                                          "Missing 2nd pivot in 2nd"};
  int loaded = 0, evaluated = 0;
  for (int round = 0; round < 400; ++round) {
    std::string text;
    int lines = 1 + static_cast<int>(rng() % 25);
    for (int i = 0; i < lines; ++i) {
      const unsigned end = rng() % 9;  // now and then CR LF or a lone CR
      text += MakeLine(rng) + (end == 0 ? "\r\n" : end == 1 ? "\r" : "\n");
    }
    if (round % 2) Corrupt(text, rng);
    const std::string name = "pfz_" + std::to_string(round % 7);
    ASSERT_TRUE(WritePatternFile(name, text));
    SCOPED_TRACE("round " + std::to_string(round));

    CPivPatRec p;
    CTxt err;
    int rc = LoadPattern(&p, name.c_str(), err);
    ASSERT_TRUE(rc == kPatLoaded || rc == kPatCalcError || rc == kPatCondError ||
                rc == kPatResultError || rc == kPatNoKeyPoints)
        << rc << " " << err.GetData();
    if (rc < 0) {
      if (rc == kPatNoKeyPoints) {
        EXPECT_TRUE(StartsWith(err, "Missing Key Points")) << err.GetData();
      } else {
        EXPECT_TRUE(StartsWith(err, "Line")) << err.GetData();
        EXPECT_NE(nullptr, std::strstr(err, kLoadKinds[-rc])) << err.GetData();
      }
      CTxt viaRegistry;
      EXPECT_EQ(nullptr, FindPattern(name.c_str(), "fuzz", viaRegistry));
      EXPECT_TRUE(StartsWith(viaRegistry, "Load Error Name=")) << viaRegistry.GetData();
      continue;
    }
    ++loaded;
    ExpectConsistent(p);

    // Evaluate over a few pivot lists, into a block with guard slots behind it.
    for (int trial = 0; trial < 4; ++trial) {
      CBarMgr m;
      int pivots = static_cast<int>(rng() % 9);
      for (int i = 0; i < pivots; ++i)
        m.SetPivot(10 * (i + 1), static_cast<float>(rng() % 2000) / 10.0f, i % 2 ? 1 : -1, 2);
      CTxt msg;
      int r = CalcPattern(&p, &m, msg);
      ASSERT_TRUE(r >= -5 && r <= 1) << r;
      if (r < 0) {
        EXPECT_TRUE(StartsWith(msg, kFormulaMessages[-r - 1])) << msg.GetData();
      } else {
        ++evaluated;
      }
      const int m1 = p.m_Outputs.GetSize() + 1;
      std::vector<XmtSlot> block(static_cast<size_t>(m1) + 2, XmtSlot{-3.0f, 99});
      int w = WriteOutputs(&p, SlotBlock(block.data()));
      EXPECT_TRUE(w == 0 || w == m1) << w;
      for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(99, block[i].unused);
      EXPECT_EQ(-3.0f, block[static_cast<size_t>(m1)].value);
      EXPECT_EQ(-3.0f, block[static_cast<size_t>(m1) + 1].value);
    }
  }
  ClearPatterns();
  // The generator must reach both sides, or the test proves little.
  EXPECT_GT(loaded, 40);
  EXPECT_GT(evaluated, 40);
}

}  // namespace
