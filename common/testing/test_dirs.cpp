// Test support: temporary folders and whole-file helpers (test code only, so it uses the
// standard library's file system calls directly on native paths).
#include "common/testing/test_dirs.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "common/platform/platform.h"

namespace fs = std::filesystem;

namespace {

std::string Slashes(std::string p) {
  for (auto& c : p)
    if (c == '\\') c = '/';
  return p;
}

}  // namespace

ScopedTempDir::ScopedTempDir(const char* tag) {
  static std::atomic<int> counter{0};
  std::error_code ec;
  const char* env = getenv("XMT_TEST_TMP");
  fs::path base = env && *env ? fs::path(env) : fs::temp_directory_path(ec);
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path dir = base / (std::string(tag ? tag : "tmp") + "-" +
                           std::to_string(Platform::Default().CurrentProcessId()) + "-" +
                           std::to_string(counter++) + "-" + std::to_string(stamp % 100000));
    fs::create_directories(base, ec);
    if (fs::create_directory(dir, ec)) {
      path_ = Slashes(dir.string());
      return;
    }
  }
  path_ = Slashes((base / "tmp-unavailable").string());
}

std::string ScopedTempDir::Subdir(const std::string& name) const {
  std::string dir = File(name);
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

std::string SharedTempSubdir(const char* tag, const std::string& name) {
  static ScopedTempDir root(tag);
  return root.Subdir(name);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  fs::remove_all(fs::path(path_), ec);
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream f(fs::path(path), std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(content.data(), (std::streamsize)content.size());
  return (bool)f;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  out->clear();
  std::ifstream f(fs::path(path), std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  *out = s.str();
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  std::string out;
  ReadWholeFile(path, &out);
  return out;
}
