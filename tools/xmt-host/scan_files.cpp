// The files of a scan (see scan_files.h).
#include "tools/xmt-host/scan_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

bool ListBarFiles(const std::string& folder, std::vector<std::string>* files, std::string* error) {
  std::error_code ec;
  files->clear();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || !it->is_regular_file(ec)) continue;
    files->push_back(it->path().string());
  }
  if (ec) {
    *error = folder + ": cannot read the folder: " + ec.message();
    return false;
  }
  std::sort(files->begin(), files->end());
  return true;
}

bool ParseShard(const std::string& text, int* k, int* n) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 >= text.size()) return false;
  char* end = nullptr;
  const long a = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + slash) return false;
  const long b = std::strtol(text.c_str() + slash + 1, &end, 10);
  if (*end || a < 1 || b < a || b > 1000000) return false;
  *k = static_cast<int>(a);
  *n = static_cast<int>(b);
  return true;
}

std::vector<std::string> ShardOf(const std::vector<std::string>& files, int k, int n) {
  const size_t size = files.size();
  const size_t from = size * static_cast<size_t>(k - 1) / static_cast<size_t>(n);
  const size_t to = size * static_cast<size_t>(k) / static_cast<size_t>(n);
  return std::vector<std::string>(files.begin() + static_cast<long>(from),
                                  files.begin() + static_cast<long>(to));
}
