// `xmt-host check FILE`: a pattern rule file loaded through XMT_PATTERN as a study would
// load it, and what the library understood of it.
#pragma once

#include <string>

// Installs `file` (PR_<name>.txt) into the pattern folder and has the library load it.
// Result 0 with *report describing the key points, calculations, conditions, result line
// and outputs; 1 with *report holding the library's load error (with its line number);
// 4 when the library cannot be loaded, 3 when the file is missing.
int CheckPatternFile(const std::string& file, const std::string& library, std::string* report);
