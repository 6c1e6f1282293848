// Every export of every study library, loaded by file name, called with bad arguments
// around a valid call: no crash, no write outside the caller's buffers, and the documented
// result for each null pointer.

#include <gtest/gtest.h>

#include "common/testing/loaded_library.h"
#include "pattern/testing/test_env.h"
#include "robustness/library_rows.h"

namespace {

void RunLibrary(const LoadedLibrary& lib, const std::vector<MatrixEntry>& entries) {
  ASSERT_TRUE(lib.Loaded()) << lib.Error();
  int calls = 0;
  for (const MatrixEntry& e : entries) {
    SCOPED_TRACE(e.row.name);
    matrix::RowReport report = matrix::RunRow(lib, e.row);
    calls += report.calls;
    for (const std::string& fault : report.faults) ADD_FAILURE() << fault;
    EXPECT_EQ(e.nullResults, report.nullResults)
        << e.row.name << " null results: " << matrix::FormatResults(report.nullResults);
  }
  std::printf("%d calls\n", calls);
}

std::string LibraryFile(const char* fileName, const char* fullPath) {
  return fullPath && *fullPath ? std::string(fullPath) : std::string(fileName);
}

#ifndef XMT_PATTERN_PATH
#define XMT_PATTERN_PATH ""
#endif
#ifndef XMT_SIGNALS_PATH
#define XMT_SIGNALS_PATH ""
#endif
#ifndef XMT_MOMENTUM_PATH
#define XMT_MOMENTUM_PATH ""
#endif

// Bar managers keep their data on drive C: (the test's own root), not the program's drive.
class DataDrive : public ::testing::Environment {
 public:
  void SetUp() override { PresetDataDrive(); }
};
const auto* const g_dataDrive = ::testing::AddGlobalTestEnvironment(new DataDrive);

TEST(BadArgs, XmtPattern) {
  static LoadedLibrary lib(LibraryFile(XMT_PATTERN_FILE_NAME, XMT_PATTERN_PATH));
  PreparePattern(lib);
  RunLibrary(lib, PatternRows());
}

TEST(BadArgs, XmtSignals) {
  static LoadedLibrary lib(LibraryFile(XMT_SIGNALS_FILE_NAME, XMT_SIGNALS_PATH));
  PrepareSignals(lib);
  RunLibrary(lib, SignalsRows());
}

TEST(BadArgs, XmtMomentum) {
  static LoadedLibrary lib(LibraryFile(XMT_MOMENTUM_FILE_NAME, XMT_MOMENTUM_PATH));
  PrepareMomentum(lib);
  RunLibrary(lib, MomentumRows());
}

}  // namespace
