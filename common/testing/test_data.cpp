// Test support: sample data and expected files (see test_data.h).
#include "common/testing/test_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "common/testing/test_dirs.h"

#ifndef XMT_TESTDATA_DIR
#define XMT_TESTDATA_DIR "testdata"
#endif

namespace {

// The file's name without its folders, "expected" replaced by "actual".
std::string BaseName(const std::string& file) { return file.substr(file.find_last_of('/') + 1); }

std::string ActualName(const std::string& file) {
  std::string name = BaseName(file);
  const size_t at = name.find("expected");
  if (at == std::string::npos) return "actual_" + name;
  return name.replace(at, 8, "actual");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string TestDataPath(const std::string& file) {
  return std::string(XMT_TESTDATA_DIR) + "/" + file;
}

std::vector<CsvBar> ReadTestBars(const std::string& file) {
  BarFile bars;
  std::string error;
  if (!ReadBarFile(TestDataPath(file), &bars, &error)) {
    ADD_FAILURE() << error;
    return {};
  }
  return bars.bars;
}

void ExpectMatchesGolden(const std::string& actual, const std::string& file, int skipLines) {
  WriteWholeFile(ActualName(file), actual);  // kept in the test's folder
  std::string expectedText;
  if (!ReadWholeFile(TestDataPath(file), &expectedText)) {
    ADD_FAILURE() << "cannot read " << TestDataPath(file);
    return;
  }
  std::vector<std::string> expected = Lines(expectedText);
  std::string notes;
  for (int i = 0; i < skipLines && !expected.empty(); ++i) {
    notes += expected.front() + "\n";
    expected.erase(expected.begin());
  }
  if (const char* regen = std::getenv("XMT_REGEN_EXPECTED")) {
    WriteWholeFile(std::string(regen) + "/" + BaseName(file), notes + actual);
  }
  const std::vector<std::string> got = Lines(actual);
  for (size_t i = 0; i < expected.size() && i < got.size(); ++i) {
    if (expected[i] != got[i]) {
      ADD_FAILURE() << file << ": first difference at line " << i + 1 + skipLines
                    << "\n  expected: " << expected[i] << "\n  actual:   " << got[i];
      return;
    }
  }
  if (got.size() < expected.size()) {
    ADD_FAILURE() << file << ": " << expected.size() - got.size()
                  << " lines missing, the first: " << expected[got.size()];
  } else if (got.size() > expected.size()) {
    ADD_FAILURE() << file << ": " << got.size() - expected.size()
                  << " lines too many, the first: " << got[expected.size()];
  } else if (!actual.empty() && actual.back() != '\n' && !expectedText.empty() &&
             expectedText.back() == '\n') {
    ADD_FAILURE() << file << ": the last line lacks its line end";
  }
}
