// The simulator's result files: one CSV row per bar and an SVG chart of the prices with the
// pivots and hits a study found.
#pragma once

#include <string>
#include <vector>

#include "common/barfile/bar_file.h"
#include "tools/xmt-host/study.h"

// Result true, or false with *error when the file cannot be written.
bool WriteTextFile(const std::string& path, const std::string& text, std::string* error);
// The result and slot fields of one row as the result CSV writes them (slots a row lacks
// read as 0).
std::vector<std::string> ResultFields(const StudyOutput& out, size_t row);
bool WriteResultCsv(const std::string& path, const BarFile& bars, const StudyOutput& out,
                    std::string* error);
bool WriteChartSvg(const std::string& path, const std::string& title, const BarFile& bars,
                   const StudyOutput& out, std::string* error);

// Text with <, >, & and " as entities and control characters other than tab and line feed
// left out: fit for XML (and HTML) text and attribute values.
std::string XmlEscape(const std::string& s);

// The SVG document as text (WriteChartSvg writes this).
std::string ChartSvg(const std::string& title, const BarFile& bars, const StudyOutput& out);
