// The fuzz targets' private temporary root and their input reader (see fuzz_env.h).

#include "fuzz/fuzz_env.h"

#include <cstdlib>
#include <cstring>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "common/settings/settings.h"
#include "common/testing/test_dirs.h"

namespace {

// XMT_FUZZ_ROOT names a folder to use (and keep, to look at its log) instead.
std::string MakeRoot() {
  const char* chosen = std::getenv("XMT_FUZZ_ROOT");
  if (chosen && *chosen) return chosen;
  static ScopedTempDir dir("xmt_fuzz");
  return dir.path();
}

}  // namespace

const std::string& FuzzEnvInit() {
  static const std::string root = MakeRoot();
  static bool done = false;
  if (!done) {
    done = true;
    SetEnvironmentValue("XMT_ROOT", root.c_str());
    SetEnvironmentValue("XMT_HOST_DIR", root.c_str());
    void* key = nullptr;
    Platform& p = Platform::Default();
    if (p.RegOpen(RegRoot::LocalMachine, "Software\\XMT\\KorvaMgr", true, true, &key) == 0) {
      p.RegSetString(key, "DRIVE", "C:");
      p.RegClose(key);
    }
    // Log lines are still formatted, but only written with XMT_FUZZ_LOG=1: millions of
    // runs would otherwise fill the disk.
    const char* log = std::getenv("XMT_FUZZ_LOG");
    if (!log || std::string(log) != "1") WriteIniString("RELEASE", "WriteLog", "NO");
  }
  return root;
}

uint8_t FuzzInput::Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

int FuzzInput::Int() {
  unsigned v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<unsigned>(Byte()) << (8 * i);
  return static_cast<int>(v);
}

std::string FuzzInput::Text(size_t maxLen) {
  std::string out;
  while (out.size() < maxLen && pos_ < size_) {
    char c = static_cast<char>(data_[pos_++]);
    if (c == 0) break;
    out += c;
  }
  return out;
}

float FuzzInput::FloatBits() {
  const int bits = Int();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

int FuzzInput::NumberNear(int base) {
  const uint8_t b = Byte();
  if (b >= 0xF0) return Int();
  return base + static_cast<int>(b % 32) - 8;
}

std::string FuzzInput::Rest() {
  std::string out(reinterpret_cast<const char*>(data_) + pos_, size_ - pos_);
  pos_ = size_;
  return out;
}
