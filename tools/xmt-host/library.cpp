// Loading a study library by path (see library.h), through the platform layer.
#include "tools/xmt-host/library.h"

#include <filesystem>

#include "common/platform/modules.h"
#include "common/platform/platform.h"

// The library stays loaded for the life of the process, as in the platform: its trace log
// and settings are kept until the process ends, and a later run of the same library finds
// its instances as a study on another chart would.
Library::~Library() = default;

bool Library::Open(const std::string& path, std::string* error) {
  path_ = path;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    *error = path + ": no such library file";
    return false;
  }
  const char* why = nullptr;
  // Absolute, so that a bare file name is not looked up on the system's library path.
  handle_ = LoadModule(std::filesystem::absolute(path, ec).string().c_str(), &why);
  if (!handle_) {
    *error = path + ": cannot load the library" + (why ? std::string(" (") + why + ")" : "");
    return false;
  }
  return true;
}

void* Library::Symbol(const char* name) const {
  return handle_ ? ModuleSymbol(handle_, name) : nullptr;
}

std::string Library::BesideProgram(const std::string& name) {
  std::filesystem::path self(Platform::Default().ModulePath());
  return (self.parent_path() / (name + XMT_LIBRARY_SUFFIX)).string();
}
