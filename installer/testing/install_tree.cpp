// Test support for the installer (see install_tree.h). Test code only, so it uses the
// standard library's file system calls on native paths.
#include "installer/testing/install_tree.h"

#include <filesystem>
#include <system_error>

#include "common/testing/loaded_library.h"

namespace fs = std::filesystem;

InstallTree::InstallTree(const char* tag)
    : dir_(tag), host_(dir_.File("host")), release_(dir_.File("release")) {}

std::string InstallTree::Make(const std::string& folder) const {
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder;
}

InstallPlaces InstallTree::Places() const {
  InstallPlaces places;
  places.hostFolder = host_.c_str();
  places.releaseFolder = release_.c_str();
  return places;
}

bool InstallTree::Put(const std::string& path, size_t size) {
  return WriteWholeFile(path, std::string(size, 'x'));
}

bool InstallTree::PutText(const std::string& path, const std::string& content) {
  return WriteWholeFile(path, content);
}

bool InstallTree::PutStandin(const std::string& path) {
  std::error_code ec;
  fs::copy_file(StandinProgram(), path, fs::copy_options::overwrite_existing, ec);
  return !ec;
}

std::vector<std::string> InstallTree::Records(const std::string& path) {
  std::string rec = path;
  const size_t dot = rec.rfind('.');
  if (dot != std::string::npos && dot > rec.find_last_of("/\\") + 1) rec.resize(dot);
  std::vector<std::string> lines;
  std::string data = ReadWholeFile(rec + ".rec");
  size_t at = 0;
  while (at < data.size()) {
    size_t end = data.find('\n', at);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

std::string StandinProgram() { return TestProgramFolder() + STANDIN_FILE_NAME; }
