// Test support: the sample bar files in the host's form (see sample_series.h), read with the
// test kit's bar-file reader.

#include "momentum/testing/sample_series.h"

#include "common/barfile/bar_file.h"
#include "hostbridge/entry_frame.h"

std::vector<HostSeriesBar> ReadHostSeries(const std::string& dir, const std::string& file) {
  std::vector<HostSeriesBar> bars;
  BarFile read;
  std::string error;
  if (!ReadBarFile(dir + "/" + file, &read, &error)) return bars;
  bars.reserve(read.bars.size());
  for (const CsvBar& c : read.bars) {
    HostSeriesBar b;
    b.date = FullDateToHost(c.date);
    b.time = read.hasTime ? c.time : 1600;
    b.open = static_cast<float>(c.open);
    b.high = static_cast<float>(c.high);
    b.low = static_cast<float>(c.low);
    b.close = static_cast<float>(c.close);
    b.volume = read.closeOnly ? 0.0f : static_cast<float>(c.volume);
    bars.push_back(b);
  }
  return bars;
}
