// CTxt core: buffer management, construction, content, formatting and finding.
//
// The buffer lives in COM task memory (through the platform layer) and grows to exactly
// what is needed plus the terminator and one spare byte. Editing, conversions and file
// operations are in txt_edit.cpp, txt_convert.cpp and txt_files.cpp.
#include "common/text/txt.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/platform/platform.h"
#include "common/text/text_helpers.h"

namespace {

void* TaskAlloc(int bytes) { return Platform::Default().TaskAlloc(static_cast<size_t>(bytes)); }
void TaskFree(void* p) {
  if (p) Platform::Default().TaskFree(p);
}

}  // namespace

CTxt::CTxt() = default;

CTxt::CTxt(const char* p) { SetTxt(p); }

CTxt::CTxt(const CTxt& other) {
  if (other.data_) SetBytes(other.data_, other.length_);
}

CTxt::CTxt(CTxt&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
  other.Reset();
}

CTxt::~CTxt() { Empty(); }

CTxt& CTxt::operator=(const CTxt& other) {
  if (this != &other && other.data_) SetBytes(other.data_, other.length_);
  return *this;
}

CTxt& CTxt::operator=(CTxt&& other) noexcept {
  if (this != &other) {
    Empty();
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.Reset();
  }
  return *this;
}

CTxt& CTxt::operator=(const char* p) {
  SetTxt(p);
  return *this;
}

// ---------------------------------------------------------------------------------------
// Buffer

bool CTxt::Reserve(int bytes, char** oldBuffer) {
  if (oldBuffer) *oldBuffer = nullptr;
  if (capacity_ >= bytes && data_) return true;
  // The content moves along (appending relies on it). The old buffer goes to the caller
  // when asked for, because the bytes being added may still live in it.
  char* fresh = static_cast<char*>(TaskAlloc(bytes));
  if (!fresh) return false;
  if (data_) {
    memcpy(fresh, data_, static_cast<size_t>(length_) + 1);
  } else {
    fresh[0] = 0;
    length_ = 0;
  }
  if (oldBuffer) {
    *oldBuffer = data_;
  } else {
    TaskFree(data_);
  }
  data_ = fresh;
  capacity_ = bytes;
  return true;
}

int CTxt::SetBytes(const char* p, int n) {
  if (n < 0) n = 0;
  char* old = nullptr;
  if (capacity_ < n + 1 || !data_) {
    if (!Reserve(n + 2, &old)) return -1;
  }
  memmove(data_, p, static_cast<size_t>(n));
  SetLen(n);
  TaskFree(old);
  return n;
}

int CTxt::AppendBytes(const char* p, int n) {
  if (n <= 0) return length_;
  char* old = nullptr;
  if (!data_ || capacity_ < length_ + n + 1) {
    if (!Reserve(length_ + n + 2, &old)) return -1;
  }
  // p may point into the old buffer, which is freed only after the copy.
  memmove(data_ + length_, p, static_cast<size_t>(n));
  SetLen(length_ + n);
  TaskFree(old);
  return length_;
}

void CTxt::Reset() {
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

void CTxt::Empty() {
  TaskFree(data_);
  Reset();
}

void CTxt::ReleaseBuffer() { Empty(); }

void CTxt::MakeEmpty() {
  if (!data_ && !Reserve(2)) return;
  SetLen(0);
}

CTxt::operator const char*() {
  if (!data_) MakeEmpty();
  return data_ ? data_ : "";
}

// ---------------------------------------------------------------------------------------
// Content

int CTxt::SetTxt(const char* p) {
  if (!p) {
    Empty();
    return 0;
  }
  return SetBytes(p, static_cast<int>(strlen(p)));
}

int CTxt::SetTxtFixLen(const char* p, int width) {
  if (width < 0) width = 0;
  // Format cuts there anyway; a wider pad would only cost time.
  if (width > kMaxFormatLength) width = kMaxFormatLength;
  Format("%-*.*s", width, width, p ? p : "");
  TrimRight(' ');
  return length_;
}

int CTxt::AddTxt(const char* p) {
  if (!p) return length_;
  return AppendBytes(p, static_cast<int>(strlen(p)));
}

CTxt& CTxt::operator+=(const char* p) {
  AddTxt(p);
  return *this;
}

CTxt& CTxt::operator+=(char ch) {
  Add(ch);
  return *this;
}

int CTxt::Add(char ch) { return AppendBytes(&ch, 1); }

int CTxt::InsertAt(int pos, const char* p) {
  if (!p || !*p) return length_;
  int n = static_cast<int>(strlen(p));
  if (pos < 0) pos = 0;
  if (pos >= length_) return AppendBytes(p, n);
  CTxt joined;
  if (!joined.Reserve(length_ + n + 2)) return -1;
  memcpy(joined.data_, data_, static_cast<size_t>(pos));
  memcpy(joined.data_ + pos, p, static_cast<size_t>(n));
  memcpy(joined.data_ + pos + n, data_ + pos, static_cast<size_t>(length_ - pos));
  joined.SetLen(length_ + n);
  return SetBytes(joined.data_, joined.length_);
}

int CTxt::InsertAt(int pos, char ch) {
  char two[2] = {ch, 0};
  if (ch == 0) return length_;
  return InsertAt(pos, two);
}

// Formats into a stack buffer when the result is short, otherwise into a temporary block
// sized to the result: arguments may point into this text, so it is never formatted in place.
int CTxt::FormatV(const char* fmt, va_list args) {
  if (!fmt) fmt = "";
  char small[1024];
  va_list again;
  va_copy(again, args);
  int n = vsnprintf(small, sizeof small, fmt, args);
  if (n < 0) {
    va_end(again);
    MakeEmpty();
    return -1;
  }
  if (n < static_cast<int>(sizeof small)) {
    va_end(again);
    return SetBytes(small, n);
  }
  if (n > kMaxFormatLength) n = kMaxFormatLength;
  char* big = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
  if (!big) {
    va_end(again);
    return -1;
  }
  vsnprintf(big, static_cast<size_t>(n) + 1, fmt, again);
  va_end(again);
  int result = SetBytes(big, n);
  free(big);
  return result;
}

int CTxt::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = FormatV(fmt, args);
  va_end(args);
  return n;
}

int CTxt::Format(unsigned id, ...) {
  std::string fmt = Platform::Default().LoadStringResource(id);
  va_list args;
  va_start(args, id);
  int n = FormatV(fmt.c_str(), args);
  va_end(args);
  return n;
}

namespace {

int FormatInsertsInto(CTxt& txt, const char* fmt, va_list args) {
  std::string out;
  if (!fmt || !Platform::Default().FormatInserts(fmt, args, &out)) {
    txt.MakeEmpty();
    return -1;
  }
  return txt.SetTxt(out.c_str());
}

}  // namespace

int CTxt::FormatMessageA(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = FormatInsertsInto(*this, fmt, args);
  va_end(args);
  return n;
}

int CTxt::FormatMessageA(unsigned id, ...) {
  std::string fmt = Platform::Default().LoadStringResource(id);
  va_list args;
  va_start(args, id);
  int n = FormatInsertsInto(*this, fmt.c_str(), args);
  va_end(args);
  return n;
}

int CTxt::GetSysErrMsg() {
  Platform& platform = Platform::Default();
  std::string text = platform.ErrorText(platform.LastError());
  if (text.size() > 999) text.resize(999);
  return SetTxt(text.c_str());
}

int CTxt::ReadFromRam(const void* p, int n) {
  if (!p || n <= 0) {
    MakeEmpty();
    return 0;
  }
  const char* bytes = static_cast<const char*>(p);
  const void* zero = memchr(bytes, 0, static_cast<size_t>(n));
  if (zero) n = static_cast<int>(static_cast<const char*>(zero) - bytes);
  return SetBytes(bytes, n);
}

int CTxt::FillChar(char ch, int n) {
  if (n < 1) n = 1;
  if (n > INT_MAX - 3) return -1;  // no room for the terminator and spare byte
  if (!data_ || capacity_ < n + 1) {
    Empty();
    if (!Reserve(n + 2)) return -1;
  }
  memset(data_, ch, static_cast<size_t>(n));
  SetLen(n);
  return n;
}

int CTxt::MakeFixedLength(int n) {
  if (n < 0) n = 0;
  if (n <= length_) return MakeLength(n);
  if (n > INT_MAX - 3) return -1;
  int old = length_;
  if (!Reserve(n + 2)) return -1;
  memset(data_ + old, ' ', static_cast<size_t>(n - old));
  SetLen(n);
  return n;
}

int CTxt::MakeLength(int n) {
  if (n >= 0 && n < length_) SetLen(n);
  return length_;
}

int CTxt::MakeUpper() {
  for (int i = 0; i < length_; i++) data_[i] = static_cast<char>(toupper(static_cast<unsigned char>(data_[i])));
  return length_;
}

int CTxt::MakeLower() {
  for (int i = 0; i < length_; i++) data_[i] = static_cast<char>(tolower(static_cast<unsigned char>(data_[i])));
  return length_;
}

void CTxt::Shutdown() {}

// ---------------------------------------------------------------------------------------
// Finding

int CTxt::FindChar(char ch) const {
  if (length_ <= 0) return -1;
  const void* hit = memchr(data_, ch, static_cast<size_t>(length_));
  return hit ? static_cast<int>(static_cast<const char*>(hit) - data_) : -2;
}

int CTxt::FindCharList(const char* set) const {
  if (length_ <= 0) return -1;
  if (!set) return -2;
  for (int i = 0; i < length_; i++) {
    if (data_[i] && strchr(set, data_[i])) return i;
  }
  return -2;
}

int CTxt::FindTextA(const char* p) const {
  if (!data_) return -1;
  return FindTextNoCase(data_, p);
}

int CTxt::FindStringArray(const std::vector<std::string>& list, const char* p) {
  if (!p) return -1;
  for (size_t i = 0; i < list.size(); i++) {
    if (CompareNoCase(list[i].c_str(), p, 1) == 0) return static_cast<int>(i);
  }
  return -1;
}
