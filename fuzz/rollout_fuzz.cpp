// Fuzz target: the installer's configuration file "Rollout.cfg" and its listing of the
// source folder.
//
// The bytes up to the first 0x00 become "Rollout.cfg"; the rest names up to 20 more files
// of the source folder (name bytes, an extension among DLL, PLA in either case and others,
// a size), which the installation lists, copies into the platform's folder or hands to the
// editor. Programs, pages and message boxes go to a fake platform that only records them;
// files are real, in the temporary root, and the platform's folder is emptied of copied
// libraries after each input.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/platform/platform.h"
#include "common/testing/fake_platform.h"
#include "common/testing/test_dirs.h"
#include "common/text/txt.h"
#include "fuzz/fuzz_env.h"
#include "installer/install_core.h"

namespace {

namespace fs = std::filesystem;

const char* const kExtensions[] = {".dll", ".DLL", ".pla", ".PLA", ".txt", ".cfg", "", ".exe"};

struct Tree {
  std::string source, host;
};

const Tree& Folders() {
  static const Tree tree = [] {
    Tree t;
    t.source = FuzzEnvInit() + "/start";
    t.host = FuzzEnvInit() + "/host";
    std::error_code ec;
    fs::create_directories(t.source, ec);
    fs::create_directories(t.host, ec);
    WriteWholeFile(t.host + "/PLEditor.exe", "editor");
    return t;
  }();
  return tree;
}

void Empty(const std::string& folder, const char* keep) {
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (e.path().filename() != keep) fs::remove_all(e.path(), ec);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  Folders();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Tree& tree = Folders();
  FuzzInput in(data, size);
  Empty(tree.source, "");
  WriteWholeFile(tree.source + "/Rollout.cfg", in.Text(size));
  for (int n = 0; in.Remaining() > 0 && n < 20; ++n) {
    std::string name = in.Text(40);
    for (char& c : name) {
      if (c == '/' || c == '\\' || c == ':') c = '_';  // one file of the source folder
    }
    if (name.empty() || name == "." || name == "..") name = "f" + std::to_string(n);
    name += kExtensions[in.Byte() % 8];
    WriteWholeFile(tree.source + "/" + name, std::string(in.Byte(), 'x'));
  }
  {
    FakePlatform fake;
    ScopedPlatform scope(fake);
    InstallPlaces places;
    places.hostFolder = tree.host.c_str();
    places.releaseFolder = "C:/Database/RE_RI_fuzz_none";
    CTxt closing;
    RunInstallation(places, tree.source.c_str(), closing);
  }
  Empty(tree.host, "PLEditor.exe");
  return 0;
}
