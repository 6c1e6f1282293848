// Small file and folder helpers on top of the platform layer: slash normalisation, folder
// paths, type and size tests, modification times and a plain binary file copy.
//
// Contract: paths are host paths (drive letters allowed; the platform maps them). Results are
// numbers as documented per function; nothing throws.
#pragma once

class CTxt;

// In place: every single backslash becomes "/" (a doubled backslash, as at the start of a
// network path, stays), then trailing "/" are removed. Result the new length, -1 for null.
int NormalizeSlashes(char* path);
int NormalizeSlashes(CTxt& path);

// Creates every folder along path: at each "/" or single backslash the text so far, and with
// parentsOnly 0 the whole path as well. Existing folders are no error. Result 0, or -1 when
// the last creation failed for a reason other than existence (or path is null or empty).
int MakeDirPath(const char* path, int parentsOnly);

// 1 folder, 0 something else, -1 null or empty path, -2 the path cannot be examined.
int IsDirectory(const char* path);
// 1 when path is accessible in mode (0 exists, 2 write, 4 read) and is not a folder, else 0.
int IsRegularFile(const char* path, int mode);
// Size in bytes; -1 cannot be examined; -2 null or empty path.
long long FileSizeOf(const char* path);
// Last write time in seconds since 1970; -1 cannot be examined (or null); 0 for the null
// device (IsNullDevicePath).
long long FileModTime(const char* path);
// True when the last part of path (after the last "/" or "\") is "NUL" in any case: the
// null device, which has no time stamp of its own. CXMTDateTime::SetDTFile uses it too.
bool IsNullDevicePath(const char* path);

// Copies source to target in binary blocks, deleting an existing target first. Result 0
// copied, or both names denote the same path (same length, equal with "/" and "\" taken as
// one, case ignored where the system ignores it); -1 source missing; -2 target exists and
// cannot be deleted; -3 no buffer memory; -4 source cannot be opened or read; -5 target
// cannot be opened; -6 a write wrote less than it was given; -7 no target after the copy.
int CopyFileData(const char* source, const char* target);
