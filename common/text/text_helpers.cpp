// Free text helpers: field splitting (strfld and its companions), trimming, finding and
// comparing without regard to case, hexadecimal reading.
#include "common/text/text_helpers.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxFields = 10000;

int Upper(char c) { return toupper(static_cast<unsigned char>(c)); }

// Walks the fields of a text one by one. With a blank separator, leading and trailing
// blanks are not part of any field and a run of blanks separates once.
class FieldScanner {
 public:
  FieldScanner(const char* src, char separator) : sep_(separator) {
    begin_ = src ? src : "";
    end_ = begin_ + strlen(begin_);
    if (sep_ == ' ') {
      while (*begin_ == ' ') begin_++;
      while (end_ > begin_ && end_[-1] == ' ') end_--;
    }
    pos_ = begin_;
    done_ = false;
  }

  // Whether there are no fields at all.
  bool Blank() const { return begin_ == end_; }

  // Next field as [start, stop); false when none is left.
  bool Next(const char** start, const char** stop) {
    if (done_ || Blank()) return false;
    const char* p = pos_;
    while (p < end_ && *p != sep_) p++;
    *start = pos_;
    *stop = p;
    if (p >= end_) {
      done_ = true;
    } else {
      p++;
      if (sep_ == ' ') {
        while (p < end_ && *p == ' ') p++;
      }
      pos_ = p;
    }
    return true;
  }

 private:
  char sep_;
  const char* begin_;
  const char* end_;
  const char* pos_;
  bool done_;
};

int CountScanned(const char* src, char separator) {
  FieldScanner scan(src, separator);
  const char* a;
  const char* b;
  int n = 0;
  while (n < kMaxFields && scan.Next(&a, &b)) n++;
  return n;
}

// A field number as the caller gives it turned into 1..count (0 or less: no such field).
int ResolveField(int n, int count) {
  if (n == 99) return count;
  if (n < 0) return count + 1 + n;
  return n;
}

}  // namespace

int strfld(const char* src, char separator, int from, int to, char* out, int outSize) {
  if (out && outSize > 0) out[0] = 0;
  if (to == 0) to = from;
  int count = CountScanned(src, separator);
  from = ResolveField(from, count);
  to = ResolveField(to, count);
  if (to < from) return -1;
  if (!out || outSize < 1 || from < 1 || from > count) return 0;
  if (to > count) to = count;

  FieldScanner scan(src, separator);
  const char* a = nullptr;
  const char* b = nullptr;
  const char* first = nullptr;
  for (int i = 1; i <= to && scan.Next(&a, &b); i++) {
    if (i == from) first = a;
  }
  if (!first) return 0;
  int n = static_cast<int>(b - first);
  if (n > outSize - 1) n = outSize - 1;
  memcpy(out, first, static_cast<size_t>(n));
  out[n] = 0;
  if (n > 0 && out[n - 1] == separator) out[--n] = 0;
  return n;
}

int CountFields(const char* src, char separator) {
  if (!src) return 0;
  if (separator == ' ') return CountScanned(src, separator);
  size_t len = strlen(src);
  while (len > 0 && src[len - 1] == ' ') len--;
  if (len == 0) return 0;
  std::string cut(src, len);
  return CountScanned(cut.c_str(), separator);
}

int GetFieldInt(const char* src, char separator, int n) {
  char field[256];
  if (strfld(src, separator, n, 0, field, sizeof field) <= 0) return 0;
  return atoi(field);
}

int TrimBlanks(char* buffer) {
  if (!buffer) return 0;
  char* start = buffer;
  while (*start == ' ' || *start == '\t') start++;
  size_t len = strlen(start);
  while (len > 0 && (start[len - 1] == ' ' || start[len - 1] == '\t')) len--;
  memmove(buffer, start, len);
  buffer[len] = 0;
  return static_cast<int>(len);
}

int FindTextNoCase(const char* src, const char* p) {
  if (!src || !p) return -1;
  size_t n = strlen(p);
  if (n == 0) return 0;
  for (const char* s = src; *s; s++) {
    size_t i = 0;
    while (i < n && s[i] && Upper(s[i]) == Upper(p[i])) i++;
    if (i == n) return static_cast<int>(s - src);
  }
  return -1;
}

int FindCharIn(char ch, const char* set) {
  if (!set || ch == 0) return -1;
  const char* hit = strchr(set, ch);
  return hit ? static_cast<int>(hit - set) : -1;
}

int CompareNoCase(const char* a, const char* b, int mode) {
  if (!a || !b) return 3;
  for (; *a && *b; a++, b++) {
    if (Upper(*a) != Upper(*b)) return 1;
  }
  if (mode == 1) return (*a || *b) ? 2 : 0;
  if (mode == 2) return *a ? 2 : 0;
  return 0;
}

int TextToIntSaturated(const char* text) {
  if (!text) return 0;
  const long long v = std::strtoll(text, nullptr, 10);  // itself held to the long long range
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}

int HexToInt(const char* p) {
  if (!p) return 0;
  unsigned value = 0;
  for (; *p; p++) {
    int c = *p;
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (c == ' ') {
      digit = 0;
    } else {
      break;
    }
    value = value * 16 + digit;
  }
  return static_cast<int>(value);
}
