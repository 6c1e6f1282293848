// CommitToDisk on Windows: _commit (FlushFileBuffers) for both calls.
#include "common/platform/disk_commit.h"

#include <io.h>

bool CommitToDisk(FILE* file, DiskCommitCall) {
  if (!file || fflush(file) != 0) return false;
  return _commit(_fileno(file)) == 0;
}
