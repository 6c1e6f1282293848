// The POSIX backend of PlatformBackend (platform_backend.h) and the helpers its files share.
//
// The backend is split by subject: platform_posix.cpp (paths, files, time, the small
// calls), platform_posix_profile.cpp (ini files and the registry stand-in),
// platform_posix_process.cpp (starting programs, web pages) and platform_posix_text.cpp
// (message boxes, message inserts). Only those files and the backend's own
// test include this header.
#pragma once

#include <string>

#include "common/platform/platform_backend.h"

// Helpers shared by the POSIX files.
namespace posix_detail {
// $XMT_ROOT, or $HOME/.xmt, without a trailing slash.
std::string RootDir();
// Creates the folder and every missing parent (mkdir -p); existing ones are fine.
void EnsureFolders(const std::string& path);
// Case-insensitive match of * and ? wildcards.
bool WildcardMatch(const char* pattern, const char* name);
}  // namespace posix_detail
