// Test support: the sample data of testdata/ and the comparison with expected files there.
//
// Every test program finds the source tree's testdata/ folder through XMT_TESTDATA_DIR
// (xmt_test defines it). The sample bars are read with the simulator's bar-file reader, so
// the tests and the simulator read the same files the same way.
#pragma once

#include <string>
#include <vector>

#include "common/barfile/bar_file.h"

// Path of testdata/<file> in the source tree.
std::string TestDataPath(const std::string& file);

// The bars of testdata/<file> (dates yyyymmdd, prices as written); empty when the file
// cannot be read, with a test failure naming the reason.
std::vector<CsvBar> ReadTestBars(const std::string& file);

// Compares actual with the expected file testdata/<file> line by line, after the file's
// first skipLines lines (notes on where it came from). A difference is one test failure
// naming the first line that differs, both texts, or the missing or extra lines.
// actual is also written into the working folder (the test's own folder under ctest) under
// the file's name with "expected" replaced by "actual"; and when $XMT_REGEN_EXPECTED names
// a folder, as the new expected file there (the note lines kept).
void ExpectMatchesGolden(const std::string& actual, const std::string& file, int skipLines = 0);
