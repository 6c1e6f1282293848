// Library loading and environment variables on Windows (see modules.h).
#include "common/platform/modules.h"

#include <stdlib.h>

#include <string>

#include "common/platform/win32_api.h"

void* LoadModule(const char* path, const char** error) {
  HMODULE module = path ? LoadLibraryA(path) : nullptr;
  if (!module && error) *error = "LoadLibrary failed";
  return reinterpret_cast<void*>(module);
}

void UnloadModule(void* module) {
  if (module) FreeLibrary(static_cast<HMODULE>(module));
}

void* ModuleSymbol(void* module, const char* name) {
  if (!module || !name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

bool SetEnvironmentValue(const char* name, const char* value) {
  if (!name || !*name) return false;
  // Both the process environment block and the C runtime's copy, so getenv sees it too.
  SetEnvironmentVariableA(name, value);
  std::string entry = std::string(name) + "=" + (value ? value : "");
  return _putenv(entry.c_str()) == 0;
}
