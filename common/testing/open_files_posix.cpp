// FileOpenInThisProcess on Linux: the links of /proc/self/fd.
#include "common/testing/open_files.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

bool FileOpenInThisProcess(const std::string& path) {
  char wanted[PATH_MAX];
  if (!realpath(path.c_str(), wanted)) return false;
  DIR* fds = opendir("/proc/self/fd");
  if (!fds) return false;
  bool open = false;
  while (dirent* entry = readdir(fds)) {
    const std::string link = std::string("/proc/self/fd/") + entry->d_name;
    char target[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    target[n] = 0;
    if (std::string(target) == wanted) open = true;
  }
  closedir(fds);
  return open;
}
