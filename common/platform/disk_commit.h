// Committing a file to disk with a chosen system call, for the benchmark that weighs the
// trace log's commit against the alternatives.
//
// A plain function rather than a Platform call: the libraries commit only through
// Platform::CommitFile and never choose the call themselves.
#pragma once

#include <cstdio>

enum class DiskCommitCall {
  Full,      // fsync / _commit: the data and all of the file's metadata (its time stamps too)
  DataOnly,  // fdatasync: the data and the metadata needed to read it back (its size), not
             // the time stamps. Windows has no such call for a runtime file; it is Full there.
};

// Flushes the stream and commits its file with the call. Result true when the call
// succeeded.
bool CommitToDisk(FILE* file, DiskCommitCall call);
