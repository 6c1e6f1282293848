// CTxtArray: folder listings (optionally recursive, filtered, time-prefixed for sorting by
// date) and the reader for another process's list view.
#include <cstdio>
#include <string>
#include <vector>

#include "common/datetime/date_time.h"
#include "common/lists/txt_array.h"
#include "common/platform/platform.h"
#include "common/settings/trace_log.h"
#include "common/text/text_helpers.h"

namespace {

std::string ForwardSlashes(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// Extension of a name without the point; empty when none.
std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  return name.substr(dot + 1);
}

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

// One listed file in the array's listing style. Result the index, or -1 when the file's
// time cannot be read (it is then left out).
int CTxtArray::AddListingEntry(const char* path) {
  const std::string fwd = ForwardSlashes(path);
  if (m_listStyle == kListPath) return Add(fwd.c_str());
  Platform& platform = Platform::Default();
  PlatformFileInfo info;
  if (platform.FileStat(path, &info) != 0) return -1;
  char prefix[64];
  if (m_listStyle == kListModifiedUnix) {
    if (info.lastWriteMs < 0) return -1;
    snprintf(prefix, sizeof prefix, "%09u|", static_cast<unsigned>(info.lastWriteMs / 1000));
  } else {
    int64_t ms = m_listStyle == kListCreated ? info.creationMs : info.lastWriteMs;
    // Some POSIX file systems keep no creation time; the last write is the closest stamp.
    if (ms < 0 && m_listStyle == kListCreated) ms = info.lastWriteMs;
    if (ms < 0) return -1;
    PlatformTime local;
    if (!platform.UtcToLocal(UniversalFromUnixMs(ms), &local)) return -1;
    snprintf(prefix, sizeof prefix, "%04d%02d%02d|%02d%02d%02d.%03d|", local.year, local.month,
             local.day, local.hour, local.minute, local.second, local.millisecond);
  }
  return Add((prefix + fwd).c_str());
}

// One folder walk: the listing of LoadFromDir*, or the file tree of LoadFromFilesFromTree
// (which logs under its own category and with its own first two lines).
struct CTxtArray::Listing {
  bool tree = false;
  int descend = 0;
  int filesOnly = 0;
  std::string pattern;  // as given, for the log
  std::string ext;      // extension filter, files only
  std::string wildcard = "*";
  int verbose = 0;
  const char* Category() const { return tree ? "LoadFromTree" : "LoadFromDir"; }
};

int CTxtArray::LoadFromDir(const char* dir, int descend, int filesOnly, const char* pattern,
                           int level, int verbose) {
  if (level == 0) RemoveAll();
  LoadFromDirNoSort(dir, descend, filesOnly, pattern, level, verbose);
  if (level == 0) {
    const char* shown = pattern ? pattern : "";
    if (verbose > 0) {
      LogTrace("LoadFromDir", 1, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, Sort %d Files",
               dir ? dir : "", descend, filesOnly, shown, level, GetSize());
    }
    Sort();
    if (verbose > 0) {
      LogTrace("LoadFromDir", 1,
               "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, Sort %d Files - Completed",
               dir ? dir : "", descend, filesOnly, shown, level, GetSize());
    }
  }
  return GetSize();
}

int CTxtArray::LoadFromDirNoSort(const char* dir, int descend, int filesOnly,
                                 const char* pattern, int level, int verbose) {
  Listing how;
  how.descend = descend;
  how.filesOnly = filesOnly;
  how.pattern = pattern ? pattern : "";
  how.verbose = verbose;
  if (how.pattern[0] == '!') {
    how.ext = how.pattern.substr(1);
  } else if (!how.pattern.empty()) {
    how.wildcard = how.pattern;
  }
  return ListFolder(dir, how, level);
}

int CTxtArray::LoadFromDirSortTime(const char* dir, int descend, int filesOnly,
                                   const char* pattern, int level, int verbose) {
  return LoadFromDirSortTimeStyle(kListCreated, dir, descend, filesOnly, pattern, level, verbose);
}

int CTxtArray::LoadFromDirSortTimeStyle(int style, const char* dir, int descend, int filesOnly,
                                        const char* pattern, int level, int verbose) {
  m_listStyle = style;
  return LoadFromDir(dir, descend, filesOnly, pattern, level, verbose);
}

int CTxtArray::LoadFromFilesFromTree(const char* dir, const char* ext, int verbose, int level,
                                     int recurse) {
  if (level == 0) RemoveAll();
  Listing how;
  how.tree = true;
  how.descend = recurse;
  how.filesOnly = 1;
  how.ext = ext ? ext : "";
  if (!how.ext.empty() && (how.ext[0] == '.' || how.ext[0] == '!')) how.ext.erase(0, 1);
  how.verbose = verbose;
  return ListFolder(dir, how, level);
}

int CTxtArray::ListFolder(const char* dir, const Listing& how, int level) {
  if (!dir) return GetSize();
  const char* category = how.Category();
  const std::string mask = std::string(dir) + "/" + how.wildcard;
  if (how.verbose > 0) {
    if (how.tree) {
      LogTrace(category, 1, "Dir=%s, Ext=%s, nLev=%d", dir, how.ext.c_str(), level);
    } else {
      LogTrace(category, 1, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d", dir, how.descend,
               how.filesOnly, how.pattern.c_str(), level);
    }
  }
  Platform& platform = Platform::Default();
  std::vector<PlatformFileInfo> entries;
  const int found = platform.FindFiles(mask.c_str(), &entries);
  if (how.verbose > 0) {
    // There is no search handle to show; the entry block stands in for it.
    void* handle = found > 0 ? static_cast<void*>(entries.data()) : nullptr;
    const char* first = found > 0 ? entries.front().name.c_str() : "";
    if (how.tree) {
      LogTrace(category, 1, "Dir=%s, Path=%s, nLev=%d, hFindFn=%p, File=%s", dir, mask.c_str(),
               level, handle, first);
    } else {
      LogTrace(category, 1, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, hFindFn=%p, File=%s",
               dir, how.descend, how.filesOnly, mask.c_str(), level, handle, first);
    }
  }
  if (found <= 0) return GetSize();

  for (const PlatformFileInfo& entry : entries) {
    if (IsDotName(entry.name)) continue;
    const std::string full = std::string(dir) + "/" + entry.name;
    if (how.verbose > 1) LogTrace(category, 1, "Dir=%s, nLev=%d, File=%s", dir, level, full.c_str());
    PlatformFileInfo info;
    if (platform.FileStat(full.c_str(), &info) != 0) continue;
    if (info.isDirectory) {
      if (how.descend == 1) ListFolder(full.c_str(), how, level + 1);
      if (how.filesOnly != 1 && how.ext.empty()) Add(ForwardSlashes(full).c_str());
      continue;
    }
    if (!how.ext.empty() &&
        CompareNoCase(ExtensionOf(entry.name).c_str(), how.ext.c_str(), 1) != 0)
      continue;
    if (AddListingEntry(full.c_str()) >= 0 && how.verbose > 0) {
      LogTrace(category, 1, "Dir=%s, nLev=%d, Found File=%s", dir, level, full.c_str());
    }
  }
  return GetSize();
}

int CTxtArray::LoadFromLC(void* window, CTxt& text, int columns) {
  RemoveAll();
  std::vector<std::string> rows;
  unsigned long pid = m_processId;
  const int rc = Platform::Default().ReadListView(window, m_processId, columns, atoi(text), &rows,
                                                  &pid);
  if (rc == -1) {
    text.Format("HWND %p not SysListView32", window);
    return -1;
  }
  if (rc == -2) {
    text.Format("Cannot get PID for HWND %p", window);
    return -2;
  }
  if (rc < 0) {
    text.Format("Cannot access PID %d for HWND %p", static_cast<int>(pid), window);
    return -3;
  }
  for (const std::string& row : rows) Add(row.c_str());
  return GetSize();
}
