// Every export of every study library, loaded by file name, called with bad arguments
// around a valid call: no crash, no write outside the caller's buffers, and the documented
// result for each null pointer.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "common/testing/loaded_library.h"
#include "cross_library_tests/library_rows.h"
#include "studycore/barmgr/testing/data_drive.h"

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


// Bar managers keep their data on drive C: (the test's own root), not the program's drive.
class DataDrive : public ::testing::Environment {
 public:
  void SetUp() override { PresetDataDrive(); }
};
const auto* const g_dataDrive = ::testing::AddGlobalTestEnvironment(new DataDrive);

TEST(BadArgs, XmtPattern) {
  const LoadedLibrary& lib = XMT_LOADED(XMT_PATTERN);
  PreparePattern(lib);
  RunLibrary(lib, PatternRows());
}

TEST(BadArgs, XmtSignals) {
  const LoadedLibrary& lib = XMT_LOADED(XMT_SIGNALS);
  PrepareSignals(lib);
  RunLibrary(lib, SignalsRows());
}

TEST(BadArgs, XmtMomentum) {
  const LoadedLibrary& lib = XMT_LOADED(XMT_MOMENTUM);
  PrepareMomentum(lib);
  RunLibrary(lib, MomentumRows());
}

}  // namespace

const LoadedLibrary& StudyLibrary(const char* fileName, const char* fullPath) {
  static std::map<std::string, std::unique_ptr<LoadedLibrary>> loaded;
  std::unique_ptr<LoadedLibrary>& lib = loaded[fileName];
  if (!lib) lib = std::make_unique<LoadedLibrary>(*fullPath ? fullPath : fileName);
  return *lib;
}
