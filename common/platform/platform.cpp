// Platform::Default(), the scoped override that tests use to put a fake in its place, and
// the members every backend shares.
#include "common/platform/platform.h"

namespace {
Platform* g_override = nullptr;
}

std::string Platform::ShortDateFormat() {
  void* key = nullptr;
  if (RegOpen(RegRoot::CurrentUser, "Control Panel\\International", false, false, &key) != 0)
    return std::string();
  std::string format;
  if (RegQueryString(key, "sShortDate", &format) != 0) format.clear();
  RegClose(key);
  return format;
}

Platform& Platform::Default() { return g_override ? *g_override : NativePlatform(); }

ScopedPlatform::ScopedPlatform(Platform& replacement) : previous_(g_override) {
  g_override = &replacement;
}

ScopedPlatform::~ScopedPlatform() { g_override = previous_; }
