// The three bar exports on a full disk: the line does not reach the file, so the call
// gives -10 and not the line counter; with room again the next call writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/testing/fake_platform.h"
#include "hostbridge/slot_block.h"
#include "signals/bar_export.h"

namespace {

TEST(BarExportDiskFull, AFailedWriteIsAFailureNotALineCount) {
  FakePlatform fake;
  ScopedPlatform scope(fake);
  CBarExport exporter;
  const int price = 10000, volume = 5;
  ExportBar bar;
  bar.date = 1150415;
  bar.time = 1600;
  bar.divisor = 100;
  bar.open = bar.high = bar.low = bar.close = &price;
  bar.volume = &volume;
  float slots[32] = {1150415, 0, 1600, 0, 100, 0, 101, 0, 99, 0, 100, 0};
  const SlotBlock block(slots);
  char err[1000] = "";
  struct Case {
    const char* name;
    std::function<int(const char*)> save;
  };
  const Case cases[] = {
      {"csv", [&](const char* s) { return exporter.SaveCsv(s, bar, 0); }},
      {"csv2", [&](const char* s) { return exporter.SaveCsv2(s, block, err); }},
      {"txt", [&](const char* s) { return exporter.SaveTxt(s, bar, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string sym = std::string("DiskFull_") + c.name;
    fake.diskFull = true;
    EXPECT_EQ(-10, c.save(sym.c_str()));
    EXPECT_EQ(-10, c.save(sym.c_str()));
    fake.diskFull = false;
    EXPECT_EQ(3, c.save(sym.c_str()));  // the run goes on counting
  }
}

}  // namespace
