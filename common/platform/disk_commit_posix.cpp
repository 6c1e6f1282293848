// CommitToDisk on POSIX: fsync or fdatasync.
#include "common/platform/disk_commit.h"

#include <unistd.h>

bool CommitToDisk(FILE* file, DiskCommitCall call) {
  if (!file || fflush(file) != 0) return false;
  const int fd = fileno(file);
  return (call == DiskCommitCall::DataOnly ? fdatasync(fd) : fsync(fd)) == 0;
}
