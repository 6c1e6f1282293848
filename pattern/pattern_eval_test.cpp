// Pattern evaluation: formula values in single precision, formula errors, the verdict in
// "A" and "O" mode, diagnostics and the result block.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "common/testing/log_capture.h"
#include "common/text/txt.h"
#include "hostbridge/xmt_slot.h"
#include "pattern/pattern_eval.h"
#include "pattern/pattern_file.h"
#include "pattern/testing/pattern_test_env.h"
#include "studycore/barmgr/bar_mgr.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class PatternEvalTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { log_.Start("pft_pattern_eval"); }
  void SetUp() override {
    PresetDataDrive();
    log_.NewLogText();
  }

  // Pivots with the given prices, alternating low/high, on bars 10, 20, 30, ...
  static void AddPivots(CBarMgr& m, std::initializer_list<float> prices) {
    int dir = -1;
    for (float price : prices) {
      int bar = 10 * (m.GetPivotCount() + 1);
      m.SetPivot(bar, price, dir, 2);
      dir = -dir;
    }
  }

  static void Load(CPivPatRec& rec, const std::string& name, const std::string& content) {
    ASSERT_TRUE(WritePatternFile(name, content));
    CTxt err;
    ASSERT_EQ(kPatLoaded, LoadPattern(&rec, name.c_str(), err)) << err.GetData();
  }

  // The value of formula over the pivots, with key points `keys`.
  static int Eval(const char* keys, const char* formula, CBarMgr& m, float* value,
                  float* var1 = nullptr, float* var2 = nullptr, CTxt* msgOut = nullptr) {
    CPivPatRec rec;
    rec.m_KeyPoints.SetTxt(keys);
    rec.m_nKeyPoints = rec.m_KeyPoints.GetLength();
    CPatRecCalc calc;
    calc.m_Name.SetTxt("V");
    calc.m_Formula.SetTxt(formula);
    CTxt msg;
    int rc = EvalFormula(&rec, &m, &calc, value, var1, var2, msg);
    if (msgOut) *msgOut = msg;
    return rc;
  }

  static LogCapture log_;
};

LogCapture PatternEvalTest::log_;

TEST_F(PatternEvalTest, SwingRatiosInSinglePrecision) {
  CBarMgr m;
  AddPivots(m, {95.0f, 100.0f, 110.0f, 104.0f});  // one older pivot before X
  float v = 0, var1 = 0, var2 = 0;
  ASSERT_EQ(0, Eval("XAB", "XA/AB", m, &v, &var1, &var2));
  EXPECT_EQ(10.0f, var1);
  EXPECT_EQ(6.0f, var2);
  const float expected = 10.0f * 100.0f / 6.0f;
  EXPECT_EQ(expected, v);  // 166.6667 as a float, bit for bit
  EXPECT_NEAR(166.6667, v, 0.0001);
  ASSERT_EQ(0, Eval("XAB", "AB/XA", m, &v));
  EXPECT_EQ(60.0f, v);
  // Blanks are skipped but still count in the length that selects the five-character form.
  ASSERT_EQ(0, Eval("XAB", "XA/ AB", m, &v));
  EXPECT_EQ(10.0f * 100.0f / 104.0f, v);
}

TEST_F(PatternEvalTest, TwoPricesAndOperators) {
  CBarMgr m;
  AddPivots(m, {2.0f, 4.0f});
  struct {
    const char* formula;
    float value;
  } cases[] = {{"A/B", 50.0f}, {"A-B", -2.0f}, {"A*B", 8.0f}, {"A+B", 6.0f},
               {"A/B*+", 50.0f},  // later operators are skipped
               {"AB", 0.0f},      // no operator
               {"B/A", 200.0f}};
  for (const auto& c : cases) {
    float v = -1;
    ASSERT_EQ(0, Eval("AB", c.formula, m, &v)) << c.formula;
    EXPECT_EQ(c.value, v) << c.formula;
  }
}

TEST_F(PatternEvalTest, FormulasOfNeitherFormAndDivisionByZero) {
  CBarMgr m;
  AddPivots(m, {100.0f, 110.0f, 104.0f});
  float v = -1;
  // "XA/B": the right operand is never set by the formula and reads as 0, so the value is 0
  // (not whatever the previous formula left behind).
  ASSERT_EQ(0, Eval("XAB", "AB/XA", m, &v));
  ASSERT_EQ(0, Eval("XAB", "XA/B", m, &v));
  EXPECT_EQ(0.0f, v);
  // The same pivot twice: a swing of 0 as divisor gives 0.
  ASSERT_EQ(0, Eval("XAB", "XA/AA", m, &v));
  EXPECT_EQ(0.0f, v);
}

TEST_F(PatternEvalTest, FormulaErrors) {
  CBarMgr m;
  AddPivots(m, {100.0f, 110.0f, 104.0f, 108.0f, 102.0f});
  struct {
    const char* formula;
    int code;
    const char* message;
  } cases[] = {
      {"XQ/AB", kFormulaBadPivot, "Invalid Pivot Reference 'Q' in XQ/AB for Variable V"},
      {"xA/AB", kFormulaBadPivot, "Invalid Pivot Reference 'x' in xA/AB for Variable V"},
      {"XAB/C", kFormulaTooManyPivots, "Too many Pivot References 'B' in XAB/C for Variable V"},
      {"XA%AB", kFormulaBadOperation, "Unknown operation '%' in XA%AB for Variable V"},
      {"XA/A ", kFormulaMissing2nd,
       "Missing 2nd pivot in 2nd Pivot Reference in XA/A  for Variable V"},
      {"XA/  ", kFormulaMissing1st,
       "Missing 1st pivot in 2nd Pivot Reference in XA/   for Variable V"},
  };
  for (const auto& c : cases) {
    float v = 0;
    CTxt msg;
    EXPECT_EQ(c.code, Eval("XABCD", c.formula, m, &v, nullptr, nullptr, &msg)) << c.formula;
    EXPECT_STREQ(c.message, msg);
  }
}

// Three conditions that come out false, true, true for the pivots 2 and 4 (A/B = 50).
const char* const kThreeConds =
    "Symbols:\nAB\nCalc:\nV=A/B\nW=A+B\nCond:\nC1=V|0,10\nC2=V|10,20|45,55\nC3=W|6,6\n";

TEST_F(PatternEvalTest, VerdictCountsInBothModes) {
  CBarMgr m;
  for (int i = 0; i < 25; ++i) m.AddBar(CXMTDateTime(20150401 + i, 0), 1, 5, 1, 4, 100, i + 1, 0);
  AddPivots(m, {2.0f, 4.0f});

  CPivPatRec anyOf;
  Load(anyOf, "pfe_or", std::string(kThreeConds) + "Result:\nOR=C1,C2,C3\nDiagStart:\n20150401\n");
  CTxt msg;
  EXPECT_EQ(1, CalcPattern(&anyOf, &m, msg));
  std::string log = log_.NewLogText();
  EXPECT_NE(std::string::npos, log.find("CalcPattern: Result=1, Type=O Cnt=1(Max=3), Active=1"))
      << log;
  EXPECT_NE(std::string::npos,
            log.find("Cond: OutRange: Var=  50.0000(V         ), Min=   0.0000, Max=  10.0000"));
  EXPECT_NE(std::string::npos,
            log.find("Cond: InRange : Var=  50.0000(V         ), Min=  45.0000, Max=  55.0000"));
  EXPECT_NE(std::string::npos,
            log.find("Var=V         , Formula=A/B          Res=  50.0000 Var1=   2.0000, "
                     "Var2=   4.0000"));
  EXPECT_NE(std::string::npos, log.find("PivotPt-B: Bar=   20, Prc=   4.0000, Dir=+1"));

  CPivPatRec allOf;
  Load(allOf, "pfe_and", std::string(kThreeConds) + "Result:\nAND=C1,C2,C3\nDiagStart:\n1\n");
  EXPECT_EQ(0, CalcPattern(&allOf, &m, msg));
  EXPECT_EQ(0, CalcPattern(&allOf, &m, msg));
  log = log_.NewLogText();
  EXPECT_NE(std::string::npos, log.find("CalcPattern: Result=0, Type=A Cnt=2(Max=3), Active=2"))
      << log;

  // The result block: verdict, then the outputs; the other half of each slot is untouched.
  CPivPatRec out;
  Load(out, "pfe_out", std::string(kThreeConds) + "Result:\nOR=C2\nOutput:\nW\nC1\nC2\n");
  XmtSlot block[5];
  for (auto& s : block) s = {-7.0f, 0x5A5A5A5A};
  EXPECT_EQ(0, WriteOutputs(&out, SlotBlock(block)));  // not evaluated yet: nothing written
  EXPECT_EQ(-7.0f, block[0].value);
  EXPECT_EQ(1, CalcPattern(&out, &m, msg));
  EXPECT_EQ(4, WriteOutputs(&out, SlotBlock(block)));
  const float want[] = {100.0f, 6.0f, 0.0f, 100.0f, -7.0f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(want[i], block[i].value) << i;
    EXPECT_EQ(0x5A5A5A5A, block[i].unused) << i;
  }
}

TEST_F(PatternEvalTest, TooFewPivotsChangesNothing) {
  CBarMgr m;
  AddPivots(m, {2.0f});
  CPivPatRec rec;
  Load(rec, "pfe_few", std::string(kThreeConds) + "Result:\nOR=C2\n");
  CTxt msg;
  EXPECT_EQ(0, CalcPattern(&rec, &m, msg));
  EXPECT_EQ(0, rec.m_nEvalCount);
  EXPECT_EQ(0, WriteOutputs(&rec, SlotBlock()));
}

TEST_F(PatternEvalTest, FormulaErrorKeepsThePreviousVerdict) {
  CBarMgr m;
  AddPivots(m, {2.0f, 4.0f});
  CPivPatRec rec;
  Load(rec, "pfe_keep", std::string(kThreeConds) + "Result:\nOR=C2\nOutput:\nV\n");
  CTxt msg;
  ASSERT_EQ(1, CalcPattern(&rec, &m, msg));
  // New pivots, and the second formula now names a letter that is not a key point.
  AddPivots(m, {1.0f, 8.0f});
  rec.m_Calcs[1]->m_Formula.SetTxt("A+Q");
  EXPECT_EQ(kFormulaBadPivot, CalcPattern(&rec, &m, msg));
  EXPECT_STREQ("Invalid Pivot Reference 'Q' in A+Q for Variable W", msg);
  EXPECT_EQ(1, rec.m_nEvalCount);
  XmtSlot block[2] = {};
  EXPECT_EQ(2, WriteOutputs(&rec, SlotBlock(block)));
  EXPECT_EQ(100.0f, block[0].value);  // the verdict of the evaluation before
  EXPECT_EQ(12.5f, block[1].value);   // V was computed before the failing W: 1 / 8
}

}  // namespace
