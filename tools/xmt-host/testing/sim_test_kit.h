// Helpers of the simulator's tests: cut-down sample files, result CSV rows, and a small
// well-formedness check for the SVG and HTML the simulator writes.
#pragma once

#include <string>
#include <vector>

#include "common/testing/test_dirs.h"  // ReadWholeFile

// A copy of the sample bar file `name` (testdata/) holding its header and the `keep` bars
// after the first `skip`, written into the working folder as `target`. Result its path.
std::string CutSample(const std::string& name, int skip, int keep, const std::string& target);

// The rows of a CSV file, split at commas (the header is row 0).
std::vector<std::vector<std::string>> CsvRows(const std::string& path);

// Tags nest and close, attributes are quoted, one root element (doctype and processing
// instructions aside). False with *why otherwise.
bool WellFormedXml(const std::string& doc, std::string* why);
