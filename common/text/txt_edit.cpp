// CTxt editing: trimming, removing and keeping characters, ranges, replacing texts,
// line-end and escape conversion, masking of characters not allowed in names.
//
// Editing that changes the length builds the result in a std::string and sets it back;
// editing in place is used where the text can only shrink.
#include <cctype>
#include <cstring>
#include <string>

#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

bool InSet(char c, const char* set) { return c && set && strchr(set, c); }

}  // namespace

int CTxt::Trim(char ch) {
  if (length_ <= 0) return 0;
  int start = 0;
  while (start < length_ && data_[start] == ch) start++;
  int stop = length_;
  while (stop > start && data_[stop - 1] == ch) stop--;
  if (start > 0) memmove(data_, data_ + start, static_cast<size_t>(stop - start));
  SetLen(stop - start);
  return length_;
}

int CTxt::TrimRight(char ch) {
  int removed = 0;
  while (length_ > 0 && data_[length_ - 1] == ch) {
    SetLen(length_ - 1);
    removed++;
  }
  return removed;
}

int CTxt::TrimNum(int withBrackets) {
  return ExtractChar(withBrackets ? "0123456789.E+-()" : "0123456789.E+-");
}

int CTxt::RemoveChar(char ch) {
  if (length_ <= 0) return -1;
  int out = 0;
  for (int i = 0; i < length_; i++) {
    if (data_[i] != ch) data_[out++] = data_[i];
  }
  SetLen(out);
  return out;
}

int CTxt::RemoveCharList(const char* set) {
  if (length_ <= 0) return -1;
  int out = 0;
  for (int i = 0; i < length_; i++) {
    if (!InSet(data_[i], set)) data_[out++] = data_[i];
  }
  SetLen(out);
  return out;
}

int CTxt::ExtractChar(const char* set) {
  if (length_ <= 0) return -1;
  int out = 0;
  for (int i = 0; i < length_; i++) {
    if (InSet(data_[i], set)) data_[out++] = data_[i];
  }
  SetLen(out);
  return out;
}

int CTxt::RemoveRange(int pos, int n) {
  if (length_ <= 0) return -4;
  if (pos < 0) return -1;
  if (pos >= length_) return -2;
  if (n < 1) return -3;
  if (n > length_ - pos) n = length_ - pos;
  memmove(data_ + pos, data_ + pos + n, static_cast<size_t>(length_ - pos - n));
  SetLen(length_ - n);
  return length_;
}

int CTxt::ExtractRange(int from, int to) {
  if (length_ <= 0) return -1;
  if (from > length_) return -2;
  if (to > length_) return -3;
  if (to < from) return -4;
  if (from < 1) from = 1;  // a range cannot start before the first character
  int n = to - from + 1;
  memmove(data_, data_ + from - 1, static_cast<size_t>(n > 0 ? n : 0));
  SetLen(n > 0 ? n : 0);
  return length_;
}

int CTxt::RemoveFromText(const char* p) { return ReplaceInText(p, nullptr); }

int CTxt::ReplaceInText(const char* p, const char* q) {
  if (length_ <= 0) return -1;
  if (!p || !*p) return length_;
  size_t n = strlen(p);
  std::string out;
  out.reserve(static_cast<size_t>(length_));
  const char* s = data_;
  for (;;) {
    int hit = FindTextNoCase(s, p);
    if (hit < 0) break;
    out.append(s, static_cast<size_t>(hit));
    if (q) out.append(q);
    s += hit + static_cast<int>(n);
  }
  out.append(s);
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::Replace(char a, char b) {
  int count = 0;
  for (int i = 0; i < length_; i++) {
    if (data_[i] == a) {
      data_[i] = b;
      count++;
    }
  }
  return count;
}

int CTxt::InsertCR() {
  if (length_ <= 0) return length_;
  std::string out;
  out.reserve(static_cast<size_t>(length_) + 16);
  for (int i = 0; i < length_; i++) {
    if (data_[i] == '\n' && (i == 0 || data_[i - 1] != '\r')) out += '\r';
    out += data_[i];
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::ConvCRLF(int decode) {
  if (length_ <= 0) return length_;
  std::string out;
  out.reserve(static_cast<size_t>(length_) + 16);
  for (int i = 0; i < length_; i++) {
    char c = data_[i];
    if (!decode) {
      if (c == '\r') {
        out += "\\r";
      } else if (c == '\n') {
        out += "\\n";
      } else if (c == '\t') {
        out += "\\t";
      } else {
        out += c;
      }
      continue;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= length_) break;  // a lone backslash at the end is dropped
    switch (data_[i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      default: break;  // unknown escape: both characters go
    }
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::MaskNonPrintable() {
  int count = 0;
  for (int i = 0; i < length_; i++) {
    unsigned char c = static_cast<unsigned char>(data_[i]);
    if (c < 32 || c > 126) {
      data_[i] = '+';
      count++;
    }
  }
  return count;
}

namespace {

// Shared by MaskNonFilename and MaskNonVar: allowed(c) tells what may stay.
template <class Allowed>
int MaskWith(char* data, int length, int replace, Allowed allowed) {
  if (length <= 0) return -1;
  int first = -1;
  for (int i = 0; i < length; i++) {
    if (allowed(data[i])) continue;
    if (!replace) return static_cast<unsigned char>(data[i]);
    if (first < 0) first = i;
    data[i] = '_';
  }
  return replace ? first : 0;
}

}  // namespace

int CTxt::MaskNonFilename(int replace, const char* extra) {
  return MaskWith(data_, length_, replace, [extra](char c) {
    return isalnum(static_cast<unsigned char>(c)) || InSet(c, "~_+-#$(){}[]") || InSet(c, extra);
  });
}

int CTxt::MaskNonVar(int replace, const char* extra) {
  return MaskWith(data_, length_, replace, [extra](char c) {
    return isalnum(static_cast<unsigned char>(c)) || c == '_' || InSet(c, extra);
  });
}
