// Test support: the sample bar files of testdata/ as the host would pass them to XMT_UTC.
//
// Daily files ("Date,Open,High,Low,Close,Volume", dates yyyy-mm-dd) get the time 1600;
// close-only files ("Date,Time,Close", time hh:mm) get that close as all four prices and a
// volume of 0. Prices are the file's decimal numbers rounded to single precision.
#pragma once

#include <string>
#include <vector>

struct HostSeriesBar {
  int date = 0;  // host form: yyyymmdd - 19000000
  int time = 0;  // HHMM
  float open = 0, high = 0, low = 0, close = 0, volume = 0;
};

// The bars of testdata/<file> (path given by dir), in file order; empty when unreadable.
std::vector<HostSeriesBar> ReadHostSeries(const std::string& dir, const std::string& file);
