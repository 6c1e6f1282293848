// CTxtArray: the owning list itself, finding, key-value entries, sorting and the loaders that
// work on texts in memory. File loaders are in txt_array_load.cpp, folder listings and the
// list-view reader in dir_listing.cpp.
#include "common/lists/txt_array.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/text/text_helpers.h"

namespace {

constexpr int kMaxKey = 99;  // characters of a key that take part in comparisons

// The key of an entry: up to the first "|", at most kMaxKey characters.
std::string KeyOf(const char* text) {
  std::string key;
  for (const char* p = text; *p && *p != '|' && key.size() < kMaxKey; ++p) key += *p;
  return key;
}

bool SameKey(const char* entry, const char* key) {
  const std::string a = KeyOf(entry);
  const std::string b = KeyOf(key);
  return CompareNoCase(a.c_str(), b.c_str(), 1) == 0;
}

// The runtime's _strcmpi order: both sides lowered.
int CompareLowered(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = tolower(static_cast<unsigned char>(*a));
    const int cb = tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

// For qsort's callback; per thread, so that lists of two threads may sort at the same time.
thread_local int (*g_sortCompare)(const char*, const char*) = nullptr;

int CompareSlots(const void* a, const void* b) {
  const CTxt* ta = *static_cast<CTxt* const*>(a);
  const CTxt* tb = *static_cast<CTxt* const*>(b);
  const char* pa = ta ? static_cast<const char*>(*ta) : "";
  const char* pb = tb ? static_cast<const char*>(*tb) : "";
  return g_sortCompare(pa, pb);
}

}  // namespace

CTxtArray::CTxtArray() = default;

CTxtArray::~CTxtArray() { RemoveAll(); }

// --- basic list ---------------------------------------------------------------------------

int CTxtArray::GetSize() const { return m_items.GetSize(); }

CTxt* CTxtArray::GetAt(int i) const {
  if (i < 0 || i >= m_items.GetSize()) return nullptr;
  return static_cast<CTxt*>(m_items.GetAt(i));
}

const char* CTxtArray::GetAtTxt(int i) const {
  const CTxt* t = GetAt(i);
  return t ? static_cast<const char*>(*t) : nullptr;
}

int CTxtArray::AddOwned(CTxt* t) {
  const int index = m_items.Add(t);
  if (index < 0) delete t;
  return index;
}

namespace {

// A new entry holding p, or null when memory runs out for its text (a text that failed to
// copy would otherwise stand in the list as an empty one).
CTxt* NewEntry(const char* p) {
  auto* t = new CTxt;
  if (t->SetTxt(p ? p : "") < 0) {
    delete t;
    return nullptr;
  }
  return t;
}

}  // namespace

int CTxtArray::Add(const char* p) {
  CTxt* t = NewEntry(p);
  return t ? AddOwned(t) : -1;
}

int CTxtArray::Insert(int i, const char* p) {
  if (i < 0) i = 0;
  if (i >= m_items.GetSize()) return Add(p);
  m_items.InsertAt(i, new CTxt(p ? p : ""));
  return i;
}

int CTxtArray::SetAt(int i, const char* p) {
  if (i < 0) return -1;
  if (i < m_items.GetSize()) {
    CTxt* t = GetAt(i);
    if (t) return t->SetTxt(p ? p : "") < 0 ? -1 : 0;
    m_items.SetAt(i, new CTxt(p ? p : ""));
    return 0;
  }
  CTxt* t = new CTxt(p ? p : "");
  if (m_items.SetAtGrow(i, t) < 0) {
    delete t;
    return -1;
  }
  return 0;
}

int CTxtArray::RemoveAt(int i) {
  if (i < 0 || i >= m_items.GetSize()) return -1;
  delete GetAt(i);
  m_items.RemoveAt(i);
  return 0;
}

void CTxtArray::RemoveAll() {
  for (int i = 0; i < m_items.GetSize(); ++i) delete GetAt(i);
  m_items.RemoveAll();
}

void CTxtArray::SetSizeInit(int size, int grow) {
  m_items.SetSizeInit(size, grow);
  if (size > 0) m_items.SetSize(size);
}

int CTxtArray::GetDelimTxt(CTxt& out, const char* separator) const {
  out.MakeEmpty();
  for (int i = 0; i < GetSize(); ++i) {
    out.AddTxt(GetAtTxt(i));
    out.AddTxt(separator);
  }
  return GetSize();
}

int CTxtArray::Compare(const CTxtArray& other) const {
  if (GetSize() != other.GetSize()) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    const char* a = GetAtTxt(i);
    const char* b = other.GetAtTxt(i);
    if (CompareNoCase(a ? a : "", b ? b : "", 1) != 0) return -2;
  }
  return 0;
}

// --- finding ------------------------------------------------------------------------------

int CTxtArray::FindString(const char* p) const {
  if (!p) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    const char* t = GetAtTxt(i);
    if (t && CompareNoCase(t, p, 1) == 0) return i;
  }
  return -1;
}

int CTxtArray::FindStringStart(const char* p, int fromEnd) const {
  if (!p) return -1;
  const int n = GetSize();
  for (int k = 0; k < n; ++k) {
    const int i = fromEnd ? n - 1 - k : k;
    const char* t = GetAtTxt(i);
    if (t && CompareNoCase(p, t, 2) == 0) return i;
  }
  return -1;
}

int CTxtArray::FindStringSegment(const char* p) const {
  if (!p) return -1;
  for (int i = 0; i < GetSize(); ++i) {
    const char* t = GetAtTxt(i);
    if (t && FindTextNoCase(t, p) >= 0) return i;
  }
  return -1;
}

int CTxtArray::AddIfNew(const char* p) {
  if (FindString(p ? p : "") >= 0) return 0;
  Add(p);
  return 1;
}

int CTxtArray::AddIfNewIdx(const char* p) {
  const int i = FindString(p ? p : "");
  return i >= 0 ? i : Add(p);
}

// --- key-value entries --------------------------------------------------------------------

int CTxtArray::FindValue(const char* key, CTxt& out, int report) const {
  if (key) {
    for (int i = 0; i < GetSize(); ++i) {
      const char* t = GetAtTxt(i);
      if (!t || !SameKey(t, key)) continue;
      const char* bar = strchr(t, '|');
      out.SetTxt(bar ? bar + 1 : "");
      return i;
    }
  }
  if (report == 1) out.Format("%s to found", key ? key : "");
  return -1;
}

int CTxtArray::FindValueReset(const char* key, CTxt& out, int report) const {
  out.MakeEmpty();
  return FindValue(key, out, report);
}

int CTxtArray::FindValueInt(const char* key) const {
  CTxt value;
  if (FindValue(key, value) < 0) return -1;
  return atoi(value);
}

int CTxtArray::SetValue(const char* key, const char* value) {
  if (!key) return -1;
  CTxt old;
  const int i = FindValue(key, old);
  if (!value) {
    if (i >= 0) RemoveAt(i);
    return i;
  }
  CTxt entry;
  entry.Format("%s|%s", key, value);
  if (i >= 0) {
    SetAt(i, entry);
    return i;
  }
  return Add(entry);
}

int CTxtArray::AddCnt(const char* key) {
  CTxt value;
  const int count = FindValue(key, value) >= 0 ? atoi(value) + 1 : 1;
  char number[16];
  snprintf(number, sizeof number, "%d", count);
  return SetValue(key, number);
}

// --- sorting ------------------------------------------------------------------------------

void CTxtArray::Sort() {
  m_items.SetSize(GetSize() + 100);
  SortCust(CompareLowered);
}

void CTxtArray::SortCust(int (*cmp)(const char* a, const char* b)) {
  if (!cmp || GetSize() < 2) return;
  // The entries themselves stay where they are; only the slots are reordered.
  g_sortCompare = cmp;
  m_items.Sort(CompareSlots);
  g_sortCompare = nullptr;
}

// --- loading from memory ------------------------------------------------------------------

int CTxtArray::LoadFromTxt(const char* p) {
  RemoveAll();
  if (!p) return 0;
  std::string line;
  for (; *p; ++p) {
    if (*p == '\n') {
      Add(line.c_str());
      line.clear();
    } else if (*p != '\r') {
      line += *p;
    }
  }
  if (!line.empty()) Add(line.c_str());
  return GetSize();
}

int CTxtArray::LoadFromFields(const char* p, char separator, int clear) {
  if (clear == 1) RemoveAll();
  if (!p) return GetSize();
  const int n = CountFields(p, separator);
  const int size = static_cast<int>(strlen(p)) + 1;
  std::string field(static_cast<size_t>(size), '\0');
  for (int i = 1; i <= n; ++i) {
    if (strfld(p, separator, i, 0, field.data(), size) <= 0) continue;
    if (TrimBlanks(field.data()) > 0) Add(field.c_str());
  }
  return GetSize();
}

int CTxtArray::LoadFromTxtArray(const CTxtArray& other, int append) {
  if (&other == this) return GetSize();
  if (!append) RemoveAll();
  for (int i = 0; i < other.GetSize(); ++i) Add(other.GetAtTxt(i));
  return GetSize();
}

int CTxtArray::LoadFromStrArray(const std::vector<std::string>& list) {
  RemoveAll();
  for (const std::string& s : list) Add(s.c_str());
  return GetSize();
}

int CTxt::LoadFromArray(const CTxtArray& array, const char* separator) {
  return array.GetDelimTxt(*this, separator ? separator : "");
}
