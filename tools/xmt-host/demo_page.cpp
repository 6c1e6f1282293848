// The demo's summary table and page (see demo_page.h).
#include "tools/xmt-host/demo_page.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tools/xmt-host/outputs.h"

namespace {

std::string Html(const std::string& s) { return XmlEscape(s); }

std::string Name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string Micros(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

}  // namespace

std::string DemoSummaryTable(const std::vector<DemoRow>& rows) {
  std::string text = "study      file                         bars    us/bar\n";
  for (const DemoRow& r : rows) {
    char line[256];
    if (r.error.empty())
      std::snprintf(line, sizeof line, "%-10s %-26s %7d %9.2f\n", r.study.c_str(), r.file.c_str(),
                    r.bars, r.microsPerBar);
    else
      std::snprintf(line, sizeof line, "%-10s %-26s  failed (see above)\n", r.study.c_str(),
                    r.file.c_str());
    text += line;
  }
  return text;
}

std::string DemoPage(const std::string& title, const std::vector<DemoRow>& rows) {
  std::ostringstream s;
  s << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>"
    << Html(title) << "</title>\n"
    << "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
       "td,th{border:1px solid #ccc;padding:2px 8px;text-align:left}td.n{text-align:right}"
       "img{max-width:100%;border:1px solid #ddd}</style>\n</head>\n<body>\n<h1>"
    << Html(title) << "</h1>\n<table>\n<tr><th>study</th><th>bar file</th><th>options</th>"
       "<th>bars</th><th>us per bar</th><th>files</th></tr>\n";
  for (const DemoRow& r : rows) {
    s << "<tr><td><a href=\"#" << Html(r.study + "-" + r.file) << "\">" << Html(r.study)
      << "</a></td><td>" << Html(r.file) << "</td><td>" << Html(r.options) << "</td>";
    if (!r.error.empty()) {
      s << "<td colspan=\"3\">failed: " << Html(r.error) << "</td></tr>\n";
      continue;
    }
    s << "<td class=\"n\">" << r.bars << "</td><td class=\"n\">" << Micros(r.microsPerBar)
      << "</td><td>";
    std::vector<std::string> files = {r.csvPath, r.svgPath};
    files.insert(files.end(), r.libraryFiles.begin(), r.libraryFiles.end());
    for (size_t k = 0; k < files.size(); ++k)
      s << (k ? " " : "") << "<a href=\"" << Html(Name(files[k])) << "\">" << Html(Name(files[k]))
        << "</a>";
    s << "</td></tr>\n";
  }
  s << "</table>\n";
  for (const DemoRow& r : rows) {
    if (!r.error.empty()) continue;
    s << "<h2 id=\"" << Html(r.study + "-" + r.file) << "\">" << Html(r.study) << " on "
      << Html(r.file) << "</h2>\n<p><a href=\"" << Html(Name(r.csvPath)) << "\">"
      << Html(Name(r.csvPath)) << "</a></p>\n<img src=\"" << Html(Name(r.svgPath)) << "\" alt=\""
      << Html(r.study + " on " + r.file) << "\"/>\n";
  }
  s << "</body>\n</html>\n";
  return s.str();
}
