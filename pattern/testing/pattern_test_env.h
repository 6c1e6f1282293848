// Test set-up for the pattern-file tests: rule files in the pattern folder. (The trace log
// capture and the sample data are in common/testing/: log_capture.h, test_data.h.)
//
// Pattern files go where the library reads them, "C:/Database/DO_DER" as the platform maps
// it (below $XMT_ROOT natively, the Wine prefix's drive C: under Wine). Names should carry
// a prefix of the test program, because under Wine every test program of a build tree
// shares that drive.
#pragma once

#include <string>

// Writes "PR_<name>.txt" into the pattern folder (creating the folder). False on failure.
bool WritePatternFile(const std::string& name, const std::string& content);
void RemovePatternFile(const std::string& name);
