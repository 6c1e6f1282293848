// A study library loaded by path, its exports resolved by name as the platform does. Once
// loaded it stays loaded until the process ends (the platform does not unload a library
// while it runs either).
#pragma once

#include <string>

class Library {
 public:
  Library() = default;
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the library; false with *error on failure.
  bool Open(const std::string& path, std::string* error);
  // Address of an export, null when the library has none of that name.
  void* Symbol(const char* name) const;
  const std::string& path() const { return path_; }

  // The file of a library named `name` in the simulator's own folder.
  static std::string BesideProgram(const std::string& name);

 private:
  void* handle_ = nullptr;
  std::string path_;
};

// Resolves an export into a typed function pointer; false (and *error) when missing.
template <typename F>
bool BindExport(const Library& library, const char* name, F* out, std::string* error) {
  void* p = library.Symbol(name);
  if (!p) {
    *error = library.path() + " has no export " + name;
    return false;
  }
  *out = reinterpret_cast<F>(p);
  return true;
}
