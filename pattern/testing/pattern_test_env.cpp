// Test set-up for the pattern-file tests (see pattern_test_env.h).
#include "pattern/testing/pattern_test_env.h"

#include "common/platform/platform.h"
#include "common/settings/files.h"
#include "common/testing/test_dirs.h"
#include "pattern/pattern_file.h"

namespace {

std::string PatternPath(const std::string& name) {
  std::string host = std::string(kPatternDir) + "/PR_" + name + ".txt";
  return Platform::Default().NativePath(host.c_str());
}

}  // namespace

bool WritePatternFile(const std::string& name, const std::string& content) {
  MakeDirPath(kPatternDir, 0);
  return WriteWholeFile(PatternPath(name), content);
}

void RemovePatternFile(const std::string& name) {
  Platform::Default().RemoveFile(PatternPath(name).c_str());
}
