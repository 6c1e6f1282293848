// Fuzz target: pattern text files as XMT_PatDetect loads them.
//
// The bytes become the file (written afresh under a new name for every input, because a
// name is read only once), which PatDetect loads into the registry under its name and
// again under the name in another letter case (found, not read again); the registry is
// emptied after each input. The loaded lines are checked against the file: every line
// kept, none invented.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"
#include "fuzz/fuzz_env.h"
#include "momentum/pat_detect.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int count = 0;
  const std::string path = FuzzEnvInit() + "/pat_" + std::to_string(++count % 2) + ".txt";
  WriteWholeFile(path, std::string(reinterpret_cast<const char*>(data), size));
  PatDetect(0, path.c_str());
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  PatDetect(1, upper.c_str());
  const CPatFileRec* rec = FindPatFile(path.c_str());
  if (!rec || rec->m_Lines.GetSize() > static_cast<int>(size) + 1) __builtin_trap();
  ClearPatFiles();
  return 0;
}
