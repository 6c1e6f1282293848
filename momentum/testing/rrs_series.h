// Closing values of the sample bar files in the form a study hands them to XMT_RRS: host
// date (yyyymmdd - 19000000), time HHMM and the close in single precision.
//
// Reads "Date,Open,High,Low,Close,Volume" (daily files, time 1600) and "Date,Time,Close"
// (intraday files), dates as yyyy-mm-dd, times as hh:mm. The close goes through a double
// (as strtod reads it) to a float.
#pragma once

#include <string>
#include <vector>

struct RrsSample {
  int date = 0;  // host form
  int time = 0;  // HHMM
  float value = 0;
};

// The rows of testdata/<file>; empty when it cannot be read.
std::vector<RrsSample> ReadRrsSamples(const std::string& file);

// The sample files the tests and the benchmark run over.
inline const char* const kRrsSampleFiles[] = {"msft_daily.csv", "ttrc_daily.csv",
                                              "usdchf_30min.csv"};
