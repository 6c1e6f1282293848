// Column loading: one column of a comma-separated file handed to a study bar by bar.
//
// CColumnLoader holds the loaded file and the position in it; XMT_SIGNALS keeps one
// process-wide object (so two studies loading different files reload on every call), tests
// make their own. Files live in the folder "C:/Database/LoadCol".
//
// Contract:
// - Load(name, block, err): results, block slots and texts as XMT_LoadCol documents in
//   xmt_signals.h; err receives at most XMT_SIGNALS_ERR_BUF_SIZE bytes.
// - A bar whose date or time is no number or does not fit an int (as a slot value, or as
//   yyyymmdd or hhmmss) reaches no line: -3, and nothing changes.
// - After a failed load (-1) the next call loads again, whatever its bar number.
// - A file name that is absolute, names a drive, climbs with ".." or names a Windows device
//   in any of its parts (StaysInsideFolder, signals/file_names.h) is refused like a file that
//   cannot be opened (-1, "Cannot open <path> (invalid file name)"): nothing outside the
//   folder and no device is ever opened.
// - Nothing is locked: the host calls one export at a time.
#pragma once

#include <string>

#include "common/lists/txt_array.h"

class SlotBlock;

class CColumnLoader {
 public:
  int Load(const char* file, const SlotBlock& block, char* err);

 private:
  // Loads file (the stored name becomes file) and logs the load. False when nothing was
  // loaded: the reason goes into err and the next call loads again.
  bool Reload(const char* file, const class CXMTDateTime& bar, int barNumber, int column,
              char* err);
  int Search(const class CXMTDateTime& bar);

  std::string fileName_;
  CTxtArray lines_;
  int nextLine_ = -1;
  int lastBar_ = -1;
};
