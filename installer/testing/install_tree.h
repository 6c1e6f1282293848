// Test support for the installer: a temporary tree with a platform folder, a release folder
// and a start folder, files of chosen sizes, and the stand-in program (beside the test
// program) copied in as the platform's editor or as the program "Rollout.cfg" names.
#pragma once

#include <string>
#include <vector>

#include "common/testing/test_dirs.h"
#include "installer/install_core.h"

class InstallTree {
 public:
  explicit InstallTree(const char* tag = "install");

  // Folders of the tree (native paths, forward slashes); Make* creates them.
  const std::string& root() const { return dir_.path(); }
  std::string host() const { return dir_.File("host"); }
  std::string release() const { return dir_.File("release"); }
  std::string start() const { return dir_.File("start"); }
  std::string Make(const std::string& folder) const;

  // Places pointing into the tree (the strings live as long as the tree).
  InstallPlaces Places() const;

  // Writes a file of size bytes (all 'x'), or with the given content.
  static bool Put(const std::string& path, size_t size);
  static bool PutText(const std::string& path, const std::string& content);

  // Copies the stand-in program to path (executable). False when it cannot.
  static bool PutStandin(const std::string& path);
  // Lines the stand-in installed as path recorded (one per run), oldest first.
  static std::vector<std::string> Records(const std::string& path);

 private:
  ScopedTempDir dir_;
  std::string host_;
  std::string release_;
};

// The stand-in program beside the test program.
std::string StandinProgram();
