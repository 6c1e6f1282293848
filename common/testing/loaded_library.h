// A built study library loaded the way the platform loads it: by file name, with its
// exports resolved by name. Export-level tests of every library use it; the library file
// sits beside the test program (build/<preset>/bin), and xmt_test(... LOADS <library>)
// hands the test its file name as <library>_FILE_NAME.
//
// The library stays loaded until the process ends, as in the platform: its trace log lives
// for the life of the process and would be left behind by an early unload.
#pragma once

#include <string>

#include "common/platform/modules.h"
#include "common/platform/platform.h"

// Folder of the running test program, with its trailing separator.
inline std::string TestProgramFolder() {
  std::string self = Platform::Default().ModulePath();
  size_t cut = self.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : self.substr(0, cut + 1);
}

class LoadedLibrary {
 public:
  // path: a full path, or a bare file name taken from the test program's folder.
  explicit LoadedLibrary(const std::string& path) {
    std::string full =
        path.find_first_of("/\\") == std::string::npos ? TestProgramFolder() + path : path;
    const char* why = nullptr;
    module_ = LoadModule(full.c_str(), &why);
    if (!module_) error_ = full + ": " + (why ? why : "cannot be loaded");
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  const std::string& Error() const { return error_; }
  // The platform's handle of the loaded module (null when not loaded).
  void* Handle() const { return module_; }

  // The export of that name as a function pointer of type Fn; null when it is missing.
  template <class Fn>
  Fn Get(const char* name) const {
    return module_ ? reinterpret_cast<Fn>(ModuleSymbol(module_, name)) : nullptr;
  }

 private:
  void* module_ = nullptr;
  std::string error_;
};
