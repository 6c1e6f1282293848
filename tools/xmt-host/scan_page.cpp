// The page of a scan (see scan_page.h).
#include "tools/xmt-host/scan_page.h"

#include <cstdio>

#include "tools/xmt-host/outputs.h"

namespace {

std::string Cell(const std::string& text, const char* cls = nullptr) {
  return std::string(cls ? "<td class=\"" + std::string(cls) + "\">" : "<td>") + XmlEscape(text) +
         "</td>";
}

}  // namespace

std::string ScanPage(const std::string& title, const std::string& note,
                     const std::vector<std::string>& valueNames,
                     const std::vector<ScanPageRow>& rows) {
  std::string s =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/><title>" + XmlEscape(title) +
      "</title>\n<style>body{font-family:sans-serif;margin:1.5em}table{border-collapse:collapse}"
      "td,th{border:1px solid #ccc;padding:2px 6px;font-size:13px}td.n{text-align:right}"
      "tr.error td{color:#a00}</style></head>\n<body>\n<h1>" +
      XmlEscape(title) + "</h1>\n<p>" + XmlEscape(note) + "</p>\n<table>\n<tr><th>symbol</th>"
      "<th>signal date</th><th>bars since</th><th>signal</th><th>bars</th>";
  for (const std::string& name : valueNames) s += "<th>" + XmlEscape(name) + "</th>";
  s += "<th>ms</th><th>error</th></tr>\n";
  for (const ScanPageRow& r : rows) {
    const ScanRow& row = r.row;
    s += row.error.empty() ? "<tr>" : "<tr class=\"error\">";
    s += r.chart.empty() ? Cell(row.symbol)
                         : "<td><a href=\"" + XmlEscape(r.chart) + "\">" + XmlEscape(row.symbol) +
                               "</a></td>";
    s += Cell(SignalText(row)) +
         Cell(row.barsSince >= 0 ? std::to_string(row.barsSince) : std::string(), "n") +
         Cell(row.signal) + Cell(std::to_string(row.bars), "n");
    for (size_t k = 0; k < valueNames.size(); ++k)
      s += Cell(k < row.values.size() ? row.values[k] : std::string(), "n");
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.2f", row.ms);
    s += Cell(ms, "n") + Cell(row.error) + "</tr>\n";
  }
  return s + "</table>\n</body></html>\n";
}
