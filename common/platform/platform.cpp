// Platform::Default() and the scoped override that tests use to put a fake in its place.
#include "common/platform/platform.h"

namespace {
Platform* g_override = nullptr;
}

Platform& Platform::Default() { return g_override ? *g_override : NativePlatform(); }

ScopedPlatform::ScopedPlatform(Platform& replacement) : previous_(g_override) {
  g_override = &replacement;
}

ScopedPlatform::~ScopedPlatform() { g_override = previous_; }
