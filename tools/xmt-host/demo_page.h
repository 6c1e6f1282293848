// The demo's summary: one row per study run, printed as a table at the end of the demo and
// written with every chart into one page, index.html, beside the results.
#pragma once

#include <string>
#include <vector>

struct DemoRow {
  std::string study;
  std::string file;        // the bar file's name
  std::string options;     // the options the demo passed, as typed on a command line
  int bars = 0;
  double microsPerBar = 0;
  std::string csvPath, svgPath;
  std::vector<std::string> libraryFiles;
  std::string error;       // empty when the run worked
};

// The terminal table: study, file, bars, time per bar (failed runs say so).
std::string DemoSummaryTable(const std::vector<DemoRow>& rows);
// The page: the summary table and every chart, linked by file name (the page lives in the
// results folder). Well-formed XML as well as HTML.
std::string DemoPage(const std::string& title, const std::vector<DemoRow>& rows);
