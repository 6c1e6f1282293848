// The pattern-file loader behind XMT_PatDetect: one in-memory copy of a named pattern text
// file per file name, for the life of the library.
//
// The first call with a name reads the file's lines into a record of the process-wide
// registry; later calls with the same name (letter case ignored) find the record and do
// nothing more, so later changes to the file are not seen. The lines are held and counted;
// nothing here interprets them. A file that cannot be read is reported in a modal message
// box "PatDetect Error" (through the platform layer) and not kept, so the next call with
// that name tries again and reports again.
//
// Contract: results are numbers, nothing throws; the registry is not locked (the host calls
// one at a time); it owns its records and frees them at unload (or ClearPatFiles).
#pragma once

#include "common/lists/txt_array.h"
#include "common/text/ptr_array.h"
#include "common/text/txt.h"

// One pattern file.
class CPatFileRec {
 public:
  // State flags.
  static constexpr int kLoadTried = 1;
  static constexpr int kLoadFailed = 2;

  CPatFileRec() = default;
  CPatFileRec(const CPatFileRec&) = delete;
  CPatFileRec& operator=(const CPatFileRec&) = delete;

  // Reads the file named m_Name once. 0 after a successful first load; -1 when the file
  // cannot be opened now (err "File=%s, Line#0, Error=Cannot open '%s' (%s)"); 1 / 2 when
  // a load was tried before and succeeded / failed (nothing is read again).
  int Load(CTxt& err);

  CTxt m_Name;           // the file name as the study passed it (a path)
  CTxtArray m_Lines;     // the file's lines, in file order
  SPtrArray m_LineRecs;  // parsed pattern lines: none yet, stays empty
  int m_nLineCount = 0;  // lines counted at the last load
  int m_nState = 0;      // kLoadTried, kLoadFailed
};

inline constexpr int kPatDetectNullFile = -9;

// One XMT_PatDetect call: -9 for a null file name, else 0 (whether or not the file could be
// read; a failure shows the "PatDetect Error" box).
int PatDetect(int aux, const char* file);

// The record registered for a name (letter case ignored), or null. Tests and diagnostics.
const CPatFileRec* FindPatFile(const char* file);
int PatFileCount();
// Frees every record (what unloading does).
void ClearPatFiles();
