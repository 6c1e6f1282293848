// Which files a scan runs: the bar files of a folder in name order, and one shard of them.
#pragma once

#include <string>
#include <vector>

// The regular files of `folder` (not its subfolders, not hidden files) in byte order of
// their names, as full paths. False with *error when the folder cannot be read.
bool ListBarFiles(const std::string& folder, std::vector<std::string>* files, std::string* error);

// "K/N" with 1 <= K <= N: false for anything else.
bool ParseShard(const std::string& text, int* k, int* n);

// The K-th of N consecutive parts of the list (1-based), in list order. The parts are
// disjoint, cover the list, and differ in size by at most one.
std::vector<std::string> ShardOf(const std::vector<std::string>& files, int k, int n);
