// The page of a scan: its rows as one table, most recent signal first, each symbol with a
// chart linked to it.
#pragma once

#include <string>
#include <vector>

#include "tools/xmt-host/scan_row.h"

struct ScanPageRow {
  ScanRow row;
  std::string chart;  // the chart's path relative to the page; empty: no chart
};

// `rows` in the order shown. `note` is a line under the title (files, shard, time...).
std::string ScanPage(const std::string& title, const std::string& note,
                     const std::vector<std::string>& valueNames,
                     const std::vector<ScanPageRow>& rows);
