// Test support: a fresh temporary folder per test and whole-file helpers.
//
// ScopedTempDir makes a new, empty folder below $XMT_TEST_TMP (set by CTest for each test
// program) or the system's temporary folder, and removes it with everything in it when it
// goes out of scope. Paths are native paths with forward slashes.
#pragma once

#include <string>

class ScopedTempDir {
 public:
  // tag becomes part of the folder name, to make leftovers easy to trace.
  explicit ScopedTempDir(const char* tag = "tmp");
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // File(name), made as a folder (with its parents) when missing.
  std::string Subdir(const std::string& name) const;

 private:
  std::string path_;
};

// A subfolder name of one folder shared by all tests of the program (the first call's tag
// names that folder), made when missing and removed when the program ends.
std::string SharedTempSubdir(const char* tag, const std::string& name);

// Writes content as the whole file (binary, replacing it). False on failure.
bool WriteWholeFile(const std::string& path, const std::string& content);
// The whole file's bytes; false (and out empty) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out);
// The whole file's bytes, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

