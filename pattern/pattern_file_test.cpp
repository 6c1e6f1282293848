// Pattern rule files: sections and their content, first-definition and last-result rules,
// every load error with its code and message, and the registry by (name, ID).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/testing/log_capture.h"
#include "common/text/txt.h"
#include "pattern/pattern_file.h"
#include "pattern/pattern_registry.h"
#include "pattern/testing/pattern_test_env.h"
#include "studycore/barmgr/testing/data_drive.h"

namespace {

class PatternFileTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { log_.Start("pft_pattern_files"); }
  void SetUp() override {
    PresetDataDrive();
    ClearPatterns();
    log_.NewLogText();
  }
  void TearDown() override { ClearPatterns(); }

  // Loads content as pattern `name` into rec; result LoadPattern's.
  static int Load(const std::string& name, const std::string& content, CPivPatRec& rec,
                  CTxt& err) {
    EXPECT_TRUE(WritePatternFile(name, content));
    return LoadPattern(&rec, name.c_str(), err);
  }

  static LogCapture log_;
};

LogCapture PatternFileTest::log_;

TEST_F(PatternFileTest, SectionsHeadersAndDefinitions) {
  const std::string text =
      "Symbols: ABC\n"                // not a header, and before any section: ignored
      "Calc:\n"                        // a header
      "   symbols:\r\n"               // indented, lower case, CR LF: a header
      "  XABCD  \n"
      "; a comment\n"
      "\n"
      "Low\n"
      "CALC:\n"
      "XA_AB=XA/AB\n"
      "xa_ab=AB/XA\n"                 // same name in other case: the first definition stays
      "BC=B-C=ignored\n"              // the formula ends at a second '='
      "Cond:\n"
      "C1=XA_AB|50,70|120 , 180\n"
      "C1=BC|1,2\n"                   // first definition stays
      "C2= BC |0,1\n"
      "Result:\n"
      "OR=C1\n"
      "Result:\n"
      "AND=C1, C2\n"                  // only the last result line counts, with its mode
      "Output:\n"
      "C2\n"
      "NoSuchThing\n"                 // logged and skipped
      "xa_ab\n"
      "DiagStart:\n"
      "  20150301xyz\n"
      "Symbols:\n";                   // a header without content changes nothing
  CPivPatRec rec;
  CTxt err;
  ASSERT_EQ(kPatLoaded, Load("pft_sections", text, rec, err)) << err.GetData();

  EXPECT_STREQ("pft_sections", rec.m_Name);
  EXPECT_STREQ("XABCD", rec.m_KeyPoints);
  EXPECT_EQ(5, rec.m_nKeyPoints);
  EXPECT_EQ(-1, rec.m_nDirFilter);
  EXPECT_EQ(20150301, rec.m_nDiagStart);

  ASSERT_EQ(2, rec.m_Calcs.GetSize());
  EXPECT_STREQ("XA/AB", rec.m_Calcs[0]->m_Formula);
  EXPECT_STREQ("B-C", rec.m_Calcs[1]->m_Formula);

  ASSERT_EQ(2, rec.m_Conds.GetSize());
  EXPECT_EQ(rec.m_Calcs[0], rec.m_Conds[0]->m_pVar);
  EXPECT_EQ(2, rec.m_Conds[0]->m_nRanges);
  EXPECT_STREQ("50,70|120 , 180", rec.m_Conds[0]->m_Ranges);
  EXPECT_EQ(rec.m_Calcs[1], rec.m_Conds[1]->m_pVar);  // variable name trimmed

  EXPECT_EQ('A', rec.m_cResultMode);
  EXPECT_STREQ("AND=C1, C2", rec.m_ResultLine);
  ASSERT_EQ(2, rec.m_ResultConds.GetSize());
  EXPECT_EQ(rec.m_Conds[1], rec.m_ResultConds[1]);

  // Outputs in file order: condition 1, then calc variable 0; the unknown one is skipped.
  ASSERT_EQ(2, rec.m_Outputs.GetSize());
  EXPECT_EQ(-2, rec.m_Outputs.GetAt(0));
  EXPECT_EQ(1, rec.m_Outputs.GetAt(1));

  std::string log = log_.NewLogText();
  EXPECT_NE(std::string::npos, log.find("Line22, Unknown Output Line=NoSuchThing")) << log;
  EXPECT_NE(std::string::npos, log.find("Loaded 26 lines for Pattern pft_sections (C:/Database/"
                                        "DO_DER/PR_pft_sections.txt) (DiagStart=20150301, "
                                        "DirFilter=-1)"))
      << log;

  // The same name again is "already loaded"; Clear empties every list.
  EXPECT_EQ(kPatAlreadyLoaded, LoadPattern(&rec, "PFT_SECTIONS", err));
  rec.Clear();
  EXPECT_EQ(0, rec.m_Calcs.GetSize() + rec.m_Conds.GetSize() + rec.m_ResultConds.GetSize() +
                   rec.m_Outputs.GetSize());
}

TEST_F(PatternFileTest, ModeOrAndDirectionWords) {
  CPivPatRec rec;
  CTxt err;
  ASSERT_EQ(kPatLoaded, Load("pft_or",
                             "Symbols:\nAB\nmax\nCalc:\nV=A/B\nCond:\nC=V|0,1\n"
                             "Result:\nor=C\nResult:\nOr=C,\n",
                             rec, err))
      << err.GetData();
  EXPECT_EQ('O', rec.m_cResultMode);
  EXPECT_EQ(1, rec.m_nDirFilter);
  EXPECT_EQ(1, rec.m_ResultConds.GetSize());
}

// The same rules with LF, CR LF or a lone CR ending the lines load alike; the key-point
// letters are trimmed of blanks and TABs like every other field.
TEST_F(PatternFileTest, EveryLineEndLoadsTheSameRules) {
  const std::string lines[] = {"Symbols:", "\tXAB \t", "Calc:", "V=A/B", "Cond:", "C=V|0,1",
                               "Result:", "AND=C", "Output:", "V"};
  for (const char* end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(end)));
    std::string text;
    for (const std::string& line : lines) text += line + end;
    CPivPatRec rec;
    CTxt err;
    ASSERT_EQ(kPatLoaded, Load("pft_ends", text, rec, err)) << err.GetData();
    EXPECT_STREQ("XAB", rec.m_KeyPoints);
    EXPECT_EQ(3, rec.m_nKeyPoints);
    EXPECT_EQ(1, rec.m_Calcs.GetSize());
    EXPECT_EQ(1, rec.m_ResultConds.GetSize());
    EXPECT_EQ(1, rec.m_Outputs.GetSize());
    EXPECT_NE(std::string::npos, log_.NewLogText().find("Loaded 10 lines for Pattern pft_ends"));
  }
}

// Without key-point letters nothing can match: the file does not load, whether the
// "Symbols:" section is missing or its first line holds only blanks and TABs.
TEST_F(PatternFileTest, NoKeyPointsIsALoadError) {
  for (const char* text : {"Calc:\nV=A/B\nCond:\nC=V|0,1\nResult:\nAND=C\n",
                           "Symbols:\n \t \nCalc:\nV=A/B\n"}) {
    SCOPED_TRACE(text);
    CPivPatRec rec;
    CTxt err;
    EXPECT_EQ(kPatNoKeyPoints, Load("pft_nokeys", text, rec, err));
    EXPECT_STREQ("Missing Key Points (Symbols:) in C:/Database/DO_DER/PR_pft_nokeys.txt", err);
    EXPECT_TRUE(rec.m_Name.IsEmpty());
  }
  CTxt err;
  EXPECT_EQ(nullptr, FindPattern("pft_nokeys", "ID1", err));
  EXPECT_EQ(0, PatternCount());
}

struct LoadErrorCase {
  const char* content;
  int code;
  const char* message;
};

TEST_F(PatternFileTest, LoadErrorsCarryCodeLineAndMessage) {
  const LoadErrorCase cases[] = {
      {"Calc:\nXA_AB=XA/AB\nCond:\nC1=AB_BC|38,62\n", kPatCondError,
       "Line4, Cond Error (Unknown Variable 'AB_BC' in Condition C1=AB_BC|38,62) "
       "Line=C1=AB_BC|38,62"},
      {"Calc:\nAB_BC=AB/BC\nCond:\n  C1=AB_BC|38,|50,60\n", kPatCondError,
       "Line4, Cond Error (Missing Max Value in Range '38,' in Condition C1=AB_BC|38,|50,60) "
       "Line=C1=AB_BC|38,|50,60"},
      {"Calc:\nV=A/B\nCond:\nC1=V|38\n", kPatCondError,
       "Line4, Cond Error (Missing Max Value in Range '38' in Condition C1=V|38) Line=C1=V|38"},
      {"Calc:\nV=A/B\nCond:\nC1=V| ,5\n", kPatCondError,
       "Line4, Cond Error (Missing Min Value in Range ' ,5' in Condition C1=V| ,5) "
       "Line=C1=V| ,5"},
      {"Calc:\nV=A/B\nCond:\nC1=V\n", kPatCondError,
       "Line4, Cond Error (Missing Value Range(s) in Condition C1=V) Line=C1=V"},
      {"Calc:\nV=A/B\nCond:\nC1=V|1,2\nResult:\nAND=C1,C9\n", kPatResultError,
       "Line6, Result Error (Unknown Condition 'C9' in Result AND=C1,C9) Line=AND=C1,C9"},
      {"Calc:\nV=A/B\nCond:\nC1=V|1,2\nResult:\nAND= , \n", kPatResultError,
       "Line6, Result Error (Missing Condition(s) in Result AND= , ) Line=AND= , "},
      {"Calc:\n=A/B\n", kPatCalcError,
       "Line2, Calc Error (Missing Variable Name in Calc =A/B) Line==A/B"},
  };
  int n = 0;
  for (const LoadErrorCase& c : cases) {
    SCOPED_TRACE(c.content);
    CPivPatRec rec;
    CTxt err;
    EXPECT_EQ(c.code, Load("pft_err" + std::to_string(n++), c.content, rec, err));
    EXPECT_STREQ(c.message, err);
    EXPECT_TRUE(rec.m_Name.IsEmpty());  // a failed load does not name the record
  }
}

TEST_F(PatternFileTest, MissingFileIsRetriedAndNeverRemembered) {
  RemovePatternFile("pft_late");
  CTxt err;
  EXPECT_EQ(nullptr, FindPattern("pft_late", "ID1", err));
  EXPECT_STREQ("Load Error Name=pft_late(C:/Database/DO_DER/PR_pft_late.txt), (Cannot find "
               "Pattern: pft_late (C:/Database/DO_DER/PR_pft_late.txt))",
               err);
  EXPECT_EQ(0, PatternCount());
  EXPECT_EQ(nullptr, FindPattern("pft_late", "ID1", err));
  std::string log = log_.NewLogText();
  size_t first = log.find("Load Error Name=pft_late");
  ASSERT_NE(std::string::npos, first);
  EXPECT_NE(std::string::npos, log.find("Load Error Name=pft_late", first + 1));  // logged again

  ASSERT_TRUE(WritePatternFile("pft_late", "Symbols:\nAB\n"));
  CPivPatRec* p = FindPattern("pft_late", "ID1", err);
  ASSERT_NE(nullptr, p);
  EXPECT_STREQ("ID1", p->m_ID);
  EXPECT_EQ(1, PatternCount());
}

TEST_F(PatternFileTest, EachInstanceGetsItsOwnPattern) {
  ASSERT_TRUE(WritePatternFile("pft_shared", "Symbols:\nAB\nCalc:\nV=A/B\n"));
  CTxt err;
  CPivPatRec* a = FindPattern("pft_shared", "StudyA", err);
  CPivPatRec* b = FindPattern("pft_shared", "StudyB", err);
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_NE(a, b);
  EXPECT_NE(a->m_Calcs[0], b->m_Calcs[0]);
  EXPECT_EQ(a, FindPattern("PFT_SHARED", "studya", err));  // name and ID ignore case
  EXPECT_EQ(2, PatternCount());
  // To the last letter of the alphabet, and not past it: '[' and '{' are two IDs.
  CPivPatRec* z = FindPattern("pft_shared", "StudyZ", err);
  EXPECT_EQ(z, FindPattern("PFT_SHAREd", "studyz", err));
  EXPECT_NE(FindPattern("pft_shared", "Study[", err), FindPattern("pft_shared", "Study{", err));
  EXPECT_EQ(5, PatternCount());
  ClearPatterns();
  EXPECT_EQ(0, PatternCount());
}

TEST_F(PatternFileTest, EmptyOrNullNameIsAMissingFileNotAnEmptyPattern) {
  CTxt err;
  EXPECT_EQ(nullptr, FindPattern("", "ID1", err));
  EXPECT_NE(nullptr, std::strstr(err, "Cannot find Pattern:  (C:/Database/DO_DER/PR_.txt)"));
  EXPECT_EQ(nullptr, FindPattern(nullptr, "ID1", err));
  EXPECT_EQ(0, PatternCount());
}

}  // namespace
