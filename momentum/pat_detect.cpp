// The pattern-file loader: records, their one-time load and the registry (see pat_detect.h).

#include "momentum/pat_detect.h"

#include <cstring>
#include <memory>
#include <string>

#include "common/platform/platform.h"
#include "common/text/text_helpers.h"
#include "common/text/typed_ptr_array.h"

namespace {

constexpr int kNullFile = kPatDetectNullFile;

// The registry: records in creation order, freed with the library.
class PatFileRegistry {
 public:
  ~PatFileRegistry() { Clear(); }
  CPatFileRec* Find(const char* file) const {
    for (int i = 0; i < records_.GetSize(); ++i) {
      CPatFileRec* rec = records_.GetAt(i);
      if (CompareNoCase(rec->m_Name, file, 1) == 0) return rec;
    }
    return nullptr;
  }
  // Takes the record; false (the record deleted) when the list cannot grow.
  bool Add(CPatFileRec* rec) {
    if (records_.Add(rec) >= 0) return true;
    delete rec;
    return false;
  }
  int Count() const { return records_.GetSize(); }
  void Clear() {
    for (int i = 0; i < records_.GetSize(); ++i) delete records_.GetAt(i);
    records_.RemoveAll();
  }

 private:
  STypedPtrArray<CPatFileRec> records_;
};

PatFileRegistry g_patFiles;

// The run-time library's error text that the array loader put at the end of its message
// "Cannot open <path> (<text>)".
std::string OpenErrorText(const CTxt& loaderMsg, const char* path) {
  const std::string msg = static_cast<const char*>(loaderMsg);
  const size_t skip = strlen("Cannot open ") + strlen(path) + 2;
  if (msg.size() <= skip) return std::string();
  return msg.substr(skip, msg.back() == ')' ? msg.size() - skip - 1 : std::string::npos);
}

}  // namespace

int CPatFileRec::Load(CTxt& err) {
  if (m_nState & kLoadFailed) return 2;
  if (m_nState & kLoadTried) return 1;
  m_nState |= kLoadTried;
  CTxt loaderMsg;
  const char* name = m_Name;
  if (m_Lines.LoadFromFile(name, loaderMsg) < 0) {
    m_nState |= kLoadFailed;
    err.Format("File=%s, Line#0, Error=Cannot open '%s' (%s)", name, name,
               OpenErrorText(loaderMsg, name).c_str());
    return -1;
  }
  m_nLineCount = 0;
  for (int i = 0; i < m_Lines.GetSize(); ++i) ++m_nLineCount;
  return 0;
}

int PatDetect(int /*aux*/, const char* file) {
  if (!file) return kNullFile;
  try {
    if (g_patFiles.Find(file)) return 0;
    auto rec = std::make_unique<CPatFileRec>();
    rec->m_Name = file;
    CTxt err;
    if (rec->Load(err) != 0) {
      Platform::Default().MessageBox(err, "PatDetect Error", kMbOk | kMbIconError);
      return 0;
    }
    g_patFiles.Add(rec.release());
  } catch (...) {
    // Memory ran out while reading the file: nothing is kept and the next call tries again.
  }
  return 0;
}

const CPatFileRec* FindPatFile(const char* file) { return file ? g_patFiles.Find(file) : nullptr; }

int PatFileCount() { return g_patFiles.Count(); }

void ClearPatFiles() { g_patFiles.Clear(); }
