// Helpers of the simulator's tests (see sim_test_kit.h).
#include "tools/xmt-host/testing/sim_test_kit.h"

#include <filesystem>
#include <fstream>
#include <sstream>

std::string CutSample(const std::string& name, int skip, int keep, const std::string& target) {
  std::ifstream in(std::filesystem::path(XMT_SAMPLE_DIR) / name);
  std::ofstream out(target, std::ios::trunc);
  std::string line;
  if (std::getline(in, line)) out << line << "\n";
  for (int i = 0; i < skip + keep && std::getline(in, line); ++i)
    if (i >= skip) out << line << "\n";
  return std::filesystem::absolute(target).string();
}

std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream f(path);
  for (std::string line; std::getline(f, line);) {
    std::vector<std::string> fields;
    std::stringstream ss(line);
    for (std::string field; std::getline(ss, field, ',');) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.emplace_back();  // an empty last field
    rows.push_back(fields);
  }
  return rows;
}

bool WellFormedXml(const std::string& doc, std::string* why) {
  std::vector<std::string> open;
  int roots = 0;
  size_t i = 0;
  while ((i = doc.find('<', i)) != std::string::npos) {
    size_t end = doc.find('>', i);
    if (end == std::string::npos) return *why = "unterminated tag", false;
    std::string tag = doc.substr(i + 1, end - i - 1);
    i = end + 1;
    if (tag.empty()) return *why = "empty tag", false;
    if (tag[0] == '?' || tag[0] == '!') continue;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return *why = "mismatched </" + tag + ">", false;
      open.pop_back();
      continue;
    }
    bool selfClosing = tag.back() == '/';
    std::string name = tag.substr(0, tag.find_first_of(" \t\n/"));
    size_t quotes = 0;
    for (char c : tag) quotes += c == '"';
    if (quotes % 2) return *why = "unbalanced quotes in <" + name + ">", false;
    if (open.empty()) ++roots;
    if (!selfClosing) open.push_back(name);
  }
  if (!open.empty()) return *why = "unclosed <" + open.back() + ">", false;
  if (roots != 1) return *why = "not one root element", false;
  return true;
}
