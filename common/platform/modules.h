// Loading libraries by file name and setting environment variables: what the host
// simulator and the export-level tests need to stand in for the trading platform.
//
// These are plain functions rather than Platform calls: nothing in the libraries themselves
// loads modules, so there is nothing to fake.
#pragma once

// LoadLibraryA / dlopen (RTLD_NOW | RTLD_LOCAL). Null on failure; *error (when given)
// receives the system's reason.
void* LoadModule(const char* path, const char** error = nullptr);
// FreeLibrary / dlclose of a module of LoadModule (null: nothing).
void UnloadModule(void* module);
// GetProcAddress / dlsym; null when the module has no export of that name.
void* ModuleSymbol(void* module, const char* name);
// SetEnvironmentVariable + _putenv / setenv for this process; a null value removes it.
bool SetEnvironmentValue(const char* name, const char* value);
