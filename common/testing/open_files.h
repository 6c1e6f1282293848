// Test support: whether this process holds a file open (a library that should have given
// its handle back at unload).
#pragma once

#include <string>

// path: a native path. Linux: a descriptor of this process names the file. Windows: the
// file cannot be opened without sharing (some handle holds it open).
bool FileOpenInThisProcess(const std::string& path);
