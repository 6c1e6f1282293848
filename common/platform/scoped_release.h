// An owner for a lock or a handle of the operating system: runs its release when it goes
// out of scope, on every path (an early return, or an exception such as a failed
// allocation while the handle is open).
//
//   HANDLE h = FindFirstFileA(...);
//   ScopedRelease closeFind([&] { FindClose(h); });
#pragma once

#include <utility>

template <class Release>
class ScopedRelease {
 public:
  explicit ScopedRelease(Release release) : release_(std::move(release)) {}
  ~ScopedRelease() { release_(); }
  ScopedRelease(const ScopedRelease&) = delete;
  ScopedRelease& operator=(const ScopedRelease&) = delete;

 private:
  Release release_;
};
