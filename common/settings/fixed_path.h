// A path kept in fixed room, with no heap block: for the process-wide state that is never
// destroyed (the trace log's, the settings paths), so that a library unloaded from a running
// process leaves nothing of it behind on the heap.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

class FixedPath {
 public:
  static constexpr size_t kMax = 1000;  // longer paths are cut to this many characters

  void assign(const char* p, size_t n) {
    if (n > kMax) n = kMax;
    std::memcpy(text_, p, n);
    text_[n] = 0;
    size_ = n;
  }
  void assign(const std::string& s) { assign(s.data(), s.size()); }
  void clear() { assign("", 0); }
  const char* c_str() const { return text_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  char text_[kMax + 1] = {};
  size_t size_ = 0;
};
