// Owning ordered list of texts: the system's line container.
//
// CTxtArray holds CTxt entries: files are read into it line by line, settings and counters
// live in it as key-value entries ("key|value"), comma-separated files become tab-separated
// lines, folders are listed into it (optionally recursively, filtered, prefixed with a time so
// that sorting orders them by date), and the rows of another process's list view can be read.
//
// Contract:
// - The array owns its entries: each is created by the add/insert/set call and freed on
//   removal and by the destructor. An entry may be null (after SetAt beyond the end); reading
//   it gives a null text.
// - Key-value entries: the key is the first "|"-separated field (at most 99 characters are
//   compared, without regard to case); the value is everything after the first "|".
// - Loaders (all but the appending forms empty the list first) return the new count, or a
//   negative number with the message in the CTxt argument ("Cannot open %s (%s)").
// - Comparisons of texts ignore case.
// - An array belongs to one thread; the block reader behind LoadFromFileBuf is process-wide.
#pragma once

#include <string>
#include <vector>

#include "common/text/ptr_array.h"
#include "common/text/txt.h"
#include "common/text/typed_ptr_array.h"

// A record list of texts that does not own them (CTxtArray is the owning list).
using STxtPtrArray = STypedPtrArray<CTxt>;

// How directory listings format their entries.
enum {
  kListPath = 0,          // the path with forward slashes
  kListCreated = 1,       // "%04d%02d%02d|%02d%02d%02d.%03d|%s" creation time (local), path
  kListLastWrite = 2,     // the same with the last-write time
  kListModifiedUnix = 3,  // "%09u|%s" modification time in seconds since 1970, path
};

class CTxtArray {
 public:
  CTxtArray();
  ~CTxtArray();
  CTxtArray(const CTxtArray&) = delete;
  CTxtArray& operator=(const CTxtArray&) = delete;

  // --- basic list ---------------------------------------------------------------------
  int GetSize() const;
  CTxt* GetAt(int i) const;              // null outside the list
  const char* GetAtTxt(int i) const;     // null outside the list or for a null entry
  int Add(const char* p);                // copy (null: empty entry); the index, -1 no memory
  int Insert(int i, const char* p);      // before i (at the end when i is beyond); the index
  int SetAt(int i, const char* p);       // grows as needed; -1 for a negative i or no memory
  int RemoveAt(int i);                   // 0, -1 when outside
  void RemoveAll();
  void SetSizeInit(int size, int grow);  // reserve room and set the growth step
  // out = every entry followed by separator; result the count.
  int GetDelimTxt(CTxt& out, const char* separator = "\r\n") const;
  // 0 equal (ignoring case), -1 different counts, -2 an entry differs.
  int Compare(const CTxtArray& other) const;

  // --- finding (-1 when absent) ----------------------------------------------------------
  int FindString(const char* p) const;
  int FindStringStart(const char* p, int fromEnd = 0) const;
  int FindStringSegment(const char* p) const;
  int AddIfNew(const char* p);     // 1 added, 0 already there
  int AddIfNewIdx(const char* p);  // index of the existing or the new entry

  // --- key-value entries ----------------------------------------------------------------
  // Index of the entry with key; out = its value. Absent: -1, out unchanged, or with
  // report = 1 out = "%s to found" with the key.
  int FindValue(const char* key, CTxt& out, int report = 0) const;
  int FindValueReset(const char* key, CTxt& out, int report = 0) const;  // empties out first
  int FindValueInt(const char* key) const;  // atoi of the value, -1 when absent
  // "%s|%s" in place or appended; a null value removes (-1 when nothing to remove).
  int SetValue(const char* key, const char* value);
  int AddCnt(const char* key);  // "%s|%d" counter, new keys start at 1; result the index

  // --- sorting (not stable) -------------------------------------------------------------
  void Sort();  // ascending, ignoring case
  void SortCust(int (*cmp)(const char* a, const char* b));

  // --- loading and saving -----------------------------------------------------------------
  int LoadFromTxt(const char* p);  // lines at LF, CR dropped
  // One entry per field, blanks trimmed, empty fields skipped; emptied only when clear = 1.
  int LoadFromFields(const char* p, char separator, int clear = 1);
  int LoadFromTxtArray(const CTxtArray& other, int append = 0);
  int LoadFromStrArray(const std::vector<std::string>& list);
  // Line ends LF, CR or CR LF; lines cut at 99999 characters; -1 on open failure, and -1
  // with an empty list when memory runs out for a line (msg as an open failure).
  int LoadFromFile(const char* path, CTxt& msg);
  // Through the block reader; limit 0 all, > 0 stop at that many entries, < 0 append.
  // Memory running out for a line gives -1 and keeps none of the file's lines.
  // Line ends LF (every CR dropped), or with loneCrEndsLine LF, CR or CR LF (files saved
  // with CR-only line ends); the switch holds for this read only.
  int LoadFromFileBuf(const char* path, CTxt& msg, int limit = 0, bool loneCrEndsLine = false);
  // LoadFromFileBuf, then quotes dropped and commas outside quotes turned into TAB.
  int LoadFromCSV(const char* path, CTxt& msg);
  // Each entry + CR LF, at most count (> 0) entries, appending when append = 1.
  // msg "Saved %d lines to %s" / "Saved %d line to %s". Result 0; -1 with "Cannot open %s
  // (%s)"; -2 with "Cannot write %s (%s)" when a write or the close failed (not all saved).
  int SaveToFile(const char* path, CTxt& msg, int count = 0, int append = 0) const;
  // Saves to the next free numbered name of pattern (CTxt::GetNextFile); -10 when the
  // pattern has no "%%" run.
  int SaveToNextFile(const char* pattern, CTxt& msg) const;

  // --- directory listings -------------------------------------------------------------------
  // pattern: null/empty all names; "!ext" an extension filter (files only, no folders);
  // otherwise a wildcard for the last part. Entries follow the listing style.
  int LoadFromDir(const char* dir, int descend = 0, int filesOnly = 0,
                  const char* pattern = nullptr, int level = 0, int verbose = 0);
  int LoadFromDirNoSort(const char* dir, int descend = 0, int filesOnly = 0,
                        const char* pattern = nullptr, int level = 0, int verbose = 0);
  int LoadFromDirSortTime(const char* dir, int descend = 0, int filesOnly = 0,
                          const char* pattern = nullptr, int level = 0, int verbose = 0);
  int LoadFromDirSortTimeStyle(int style, const char* dir, int descend = 0, int filesOnly = 0,
                               const char* pattern = nullptr, int level = 0, int verbose = 0);
  // Files only, filtered by ext when not empty; folders entered when recurse = 1.
  int LoadFromFilesFromTree(const char* dir, const char* ext, int verbose = 0, int level = 0,
                            int recurse = 1);
  int GetListStyle() const { return m_listStyle; }
  void SetListStyle(int style) { m_listStyle = style; }

  // --- list view of another process ------------------------------------------------------------
  // Rows of the list view window (columns joined with "|" when more than one). text holds
  // the row to select (atoi, from 1; 0 none) and receives the error text. Result the count,
  // -1 not a list view, -2 no process id, -3 the process cannot be opened.
  int LoadFromLC(void* window, CTxt& text, int columns);
  void SetProcessId(unsigned long pid) { m_processId = pid; }

 private:
  int AddOwned(CTxt* t);
  struct Listing;  // what one folder walk looks for (dir_listing.cpp)
  int ListFolder(const char* dir, const Listing& how, int level);
  int AddListingEntry(const char* path);

  unsigned long m_processId = 0;  // preset list-view process; 0 means from the window
  SPtrArray m_items;              // CTxt*, owned
  int m_reserved = 0;
  int m_listStyle = kListPath;
};
