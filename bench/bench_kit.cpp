// The library loader, host folders, sample files, synthetic minute bars and instance IDs
// for the benchmarks.

#include "bench/bench_kit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "common/platform/modules.h"
#include "common/platform/platform.h"
#include "common/testing/test_dirs.h"

void IsolateHostFolders(const char* name) {
  std::string root = std::string("out/bench/") + name;
  SetEnvironmentValue("XMT_ROOT", (root + "/root").c_str());
  SetEnvironmentValue("XMT_HOST_DIR", root.c_str());
}

BenchLibrary::BenchLibrary(const char* folder, const char* libraryName) {
  IsolateHostFolders(folder);
  ok = lib.Open(Library::BesideProgram(libraryName), &error);
}

void BenchLibrary::Report(const char* program) const {
  if (!ok) std::fprintf(stderr, "%s: %s\n", program, error.c_str());
}

const BarFile& SampleFile(const char* fileName) {
  static std::map<std::string, BarFile> files;
  auto it = files.find(fileName);
  if (it != files.end()) return it->second;
  BarFile file;
  std::string error;
  if (!ReadBarFile(std::string(XMT_DATA_DIR "/") + fileName, &file, &error)) {
    std::fprintf(stderr, "bench: %s\n", error.c_str());
    std::exit(2);
  }
  return files.emplace(fileName, std::move(file)).first->second;
}

std::string SampleText(const char* path) {
  const std::string full = std::string(XMT_DATA_DIR "/") + path;
  std::string text;
  if (!ReadWholeFile(full, &text)) {
    std::fprintf(stderr, "bench: cannot read %s\n", full.c_str());
    std::exit(2);
  }
  return text;
}

std::vector<HostBar> MinuteBars(size_t count, uint32_t seed) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> step(-20, 20), wick(0, 15), vol(1, 500);
  std::vector<HostBar> out(count);
  int year = 2001, month = 1, day = 2, minute = 0;
  int price = kSynthScale;
  for (HostBar& b : out) {
    b.date = (year - 1900) * 10000 + month * 100 + day;
    b.time = (minute / 60) * 100 + minute % 60;
    b.open = price;
    price += step(rng);
    if (price < kSynthScale / 2) price = kSynthScale / 2;
    b.close = price;
    b.high = std::max(b.open, b.close) + wick(rng);
    b.low = std::min(b.open, b.close) - wick(rng);
    b.volume = vol(rng);
    if (++minute == 24 * 60) {
      minute = 0;
      const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
      if (++day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) {
        day = 1;
        if (++month > 12) {
          month = 1;
          ++year;
        }
      }
    }
  }
  return out;
}

std::vector<std::string> InstanceIds(const char* prefix, int count) {
  std::vector<std::string> ids;
  ids.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) ids.push_back("BENCH_" + std::string(prefix) + "_" + std::to_string(i));
  return ids;
}

int NextRun(const std::string& prefix) {
  static std::map<std::string, int> runs;
  return ++runs[prefix];
}

std::string RunName(const std::string& prefix) { return prefix + std::to_string(NextRun(prefix)); }

size_t LogLineCount(const char* logName) {
  namespace fs = std::filesystem;
  const fs::path logs = Platform::Default().NativePath("C:/Database/DO_DER/logs");
  std::error_code error;
  size_t lines = 0;
  for (const fs::directory_entry& day : fs::directory_iterator(logs, error)) {
    std::ifstream file(day.path() / (std::string(logName) + ".log"), std::ios::binary);
    char buffer[1 << 16];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
      const char* end = buffer + file.gcount();
      lines += static_cast<size_t>(std::count(static_cast<const char*>(buffer), end, '\n'));
    }
  }
  return lines;
}
