// Library loading and environment variables on POSIX (see modules.h).
#include <dlfcn.h>
#include <stdlib.h>

#include "common/platform/modules.h"

void* LoadModule(const char* path, const char** error) {
  void* handle = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (!handle && error) *error = path ? dlerror() : "no path";
  return handle;
}

void UnloadModule(void* module) {
  if (module) dlclose(module);
}

void* ModuleSymbol(void* module, const char* name) {
  return module && name ? dlsym(module, name) : nullptr;
}

bool SetEnvironmentValue(const char* name, const char* value) {
  if (!name || !*name) return false;
  return (value ? setenv(name, value, 1) : unsetenv(name)) == 0;
}
