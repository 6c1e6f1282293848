// Cold start of a study library: loading it by file name and its first call (settings read
// and written back, log opened, registries built), measured once in a fresh process.
//
//   build/release/bin/cold_start XMT_PATTERN|XMT_SIGNALS|XMT_MOMENTUM
// prints "cold_start <library> load_us=<n> first_call_us=<n> first_call_cpu_us=<n>" (wall
// and processor time of the first call); scripts/run-bench.sh runs it
// several times and keeps the median.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_kit.h"
#include "momentum/xmt_momentum.h"
#include "pattern/xmt_pattern.h"
#include "signals/xmt_signals.h"
#include "tools/xmt-host/library.h"

namespace {

using Clock = std::chrono::steady_clock;

long long Micros(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

// Processor time of the process so far, in microseconds.
long long CpuMicros() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The first call a study makes on each library: one bar of a new instance.
bool FirstCall(const Library& lib, const std::string& name, std::string* error) {
  const int date = 1150415, time = 930, price = 12345, volume = 100;
  if (name == "XMT_PATTERN") {
    XMT_ZZ_AddBar_fn addBar = nullptr;
    if (!BindExport(lib, "XMT_ZZ_AddBar", &addBar, error)) return false;
    return addBar(1, "COLD", date, time, 1, 100, &price, &price, &price, &price, volume) == 0;
  }
  if (name == "XMT_SIGNALS") {
    XMT_RareAvg_fn rareAvg = nullptr;
    if (!BindExport(lib, "XMT_RareAvg", &rareAvg, error)) return false;
    rareAvg("COLD", 20, 6, 123.45f, date, time, 60, 0, 1, 0, 1);
    return true;
  }
  if (name == "XMT_MOMENTUM") {
    XMT_UTC_fn utc = nullptr;
    if (!BindExport(lib, "XMT_UTC", &utc, error)) return false;
    XmtSlot block[92] = {};
    const float values[] = {1150415, 930, 1.2f, 1.3f, 1.1f, 1.25f, 100, 1, 30, 1, 0, 50, 1};
    for (int i = 0; i < 13; ++i) block[i].value = values[i];
    return utc("COLD", block) > -1.5f;
  }
  *error = "unknown library " + name;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cold_start XMT_PATTERN|XMT_SIGNALS|XMT_MOMENTUM\n");
    return 2;
  }
  const std::string name = argv[1];
  IsolateHostFolders(("cold_" + name).c_str());
  std::string error;
  Library lib;
  const Clock::time_point t0 = Clock::now();
  if (!lib.Open(Library::BesideProgram(name), &error)) {
    std::fprintf(stderr, "cold_start: %s\n", error.c_str());
    return 1;
  }
  const Clock::time_point t1 = Clock::now();
  const long long cpu1 = CpuMicros();
  const bool ok = FirstCall(lib, name, &error);
  const long long cpu2 = CpuMicros();
  const Clock::time_point t2 = Clock::now();
  if (!ok) {
    std::fprintf(stderr, "cold_start: %s: %s\n", name.c_str(), error.c_str());
    return 1;
  }
  std::printf("cold_start %s load_us=%lld first_call_us=%lld first_call_cpu_us=%lld\n",
              name.c_str(), Micros(t0, t1), Micros(t1, t2), cpu2 - cpu1);
  return 0;
}
