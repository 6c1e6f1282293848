// Column loading: one column of a comma-separated file handed to a study bar by bar.
//
// CColumnLoader holds the loaded file and the position in it; XMT_SIGNALS keeps one
// process-wide object (so two studies loading different files reload on every call), tests
// make their own. Files live in the folder "C:/Database/LoadCol".
//
// Contract:
// - Load(name, block, err): results, block slots and texts as XMT_LoadCol documents in
//   xmt_signals.h; err receives at most XMT_SIGNALS_ERR_BUF_SIZE bytes.
// - A file name that is absolute, names a drive or climbs with ".." is refused like a file
//   that cannot be opened (-1, "Cannot open <path> (invalid file name)"): nothing outside the
//   folder is ever read.
// - Nothing is locked: the host calls one export at a time.
#pragma once

#include <string>

#include "common/text/txt_array.h"

class SlotBlock;

class CColumnLoader {
 public:
  int Load(const char* file, const SlotBlock& block, char* err);

 private:
  int Search(const class CXMTDateTime& bar);

  std::string fileName_;
  CTxtArray lines_;
  int nextLine_ = -1;
  int lastBar_ = -1;
};

// True when name, taken below a folder, stays inside it.
bool StaysInsideFolder(const char* name);
