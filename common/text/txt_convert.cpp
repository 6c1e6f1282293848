// CTxt conversions: hexadecimal forms, XML and web-form entities, value texts and the
// filling of "@<n>" placeholders from a list of fields.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "common/text/text_helpers.h"
#include "common/text/txt.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsNoCase(const char* s, const char* prefix) {
  return CompareNoCase(s, prefix, 3) == 0 && strlen(s) >= strlen(prefix);
}

}  // namespace

int CTxt::ConvHex(int encode) {
  if (length_ <= 0) return -1;
  std::string out;
  if (encode) {
    out.reserve(static_cast<size_t>(length_) * 2);
    for (int i = 0; i < length_; i++) {
      unsigned char c = static_cast<unsigned char>(data_[i]);
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    }
  } else {
    out.reserve(static_cast<size_t>(length_) / 2 + 1);
    for (int i = 0; i < length_; i += 2) {
      char pair[3] = {data_[i], i + 1 < length_ ? data_[i + 1] : '\0', '\0'};
      out += static_cast<char>(HexToInt(pair));
    }
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::ConvTxt2XML() {
  if (length_ <= 0) return length_;
  std::string out;
  out.reserve(static_cast<size_t>(length_) + 16);
  for (int i = 0; i < length_; i++) {
    unsigned char c = static_cast<unsigned char>(data_[i]);
    if (c < 32 || c >= 127) {
      out += "&#x";
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
      out += ';';
    } else if (c == '"') {
      out += "&quot;";
    } else if (c == '&') {
      out += "&amp;";
    } else if (c == '\'') {
      out += "&apos;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += static_cast<char>(c);
    }
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::ConvXML2Txt() { return 0; }

int CTxt::ConvHTM2TXT() {
  if (length_ <= 0) return length_;
  std::string out;
  out.reserve(static_cast<size_t>(length_));
  for (int i = 0; i < length_; i++) {
    const char* s = data_ + i;
    if (*s == '&' && StartsNoCase(s, "&nbsp;")) {
      out += ' ';
      i += 5;
    } else if (*s == '&' && strncmp(s, "&amp;", 5) == 0) {
      out += '&';
      i += 4;
    } else if (*s == '\\') {
      if (i + 1 < length_) out += data_[++i];
    } else if (*s == '+') {
      out += ' ';
    } else if (*s == '%' && s[1] == '%') {
      out += '%';
      i++;
    } else if (*s == '%' && HexDigitValue(s[1]) >= 0 && HexDigitValue(s[2]) >= 0) {
      out += static_cast<char>(HexDigitValue(s[1]) * 16 + HexDigitValue(s[2]));
      i += 2;
    } else {
      out += *s;
    }
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::GetHex(unsigned value, int digits) {
  char text[16];
  snprintf(text, sizeof text, "%08X", value);
  int keep = (digits >= 1 && digits <= 3) ? digits * 2 : 8;
  return SetTxt(text + 8 - keep);
}

int CTxt::MakeHexValue(unsigned value, int n) {
  char text[16];
  if (snprintf(text, sizeof text, "%08X", value) != 8) return -1;
  int keep = (n == 2 || n == 4 || n == 6) ? n : 8;
  return SetTxt(text + 8 - keep);
}

int CTxt::GetHexArray(const void* bytes, int n) {
  if (!bytes || n < 1 || n > 1000) return Format("GetHexArray(%dBy)", n);
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  std::string out;
  out.reserve(static_cast<size_t>(n) * 3);
  for (int i = 0; i < n; i++) {
    out += kHexDigits[b[i] >> 4];
    out += kHexDigits[b[i] & 15];
    out += ',';
  }
  return SetBytes(out.data(), static_cast<int>(out.size()));
}

int CTxt::MakeValueTxt(double x, int decimals) {
  // A double has at most 1074 fractional digits; beyond that only zeros follow, which are
  // trimmed below, so the cap changes no result but spares formatting millions of zeros.
  if (decimals > 1100) decimals = 1100;
  Format("%.*f", decimals, x);
  if (FindChar('.') >= 0) {
    TrimRight('0');
    TrimRight('.');
  }
  int start = 0;
  while (start < length_ && data_[start] == ' ') start++;
  if (start > 0) RemoveRange(0, start);
  return length_;
}

int CTxt::FillPlaceHolder(const char* values, int lenient, char separator) {
  int fields = CountFields(values, separator);
  if (fields < 1) return -1;
  if (length_ <= 0) return -2;
  std::vector<char> field(strlen(values) + 1);
  std::string out;
  out.reserve(static_cast<size_t>(length_) + field.size());
  for (int i = 0; i < length_; i++) {
    if (data_[i] != '@') {
      out += data_[i];
      continue;
    }
    if (i + 1 >= length_ || !isdigit(static_cast<unsigned char>(data_[i + 1]))) return -3;
    long number = 0;
    while (i + 1 < length_ && isdigit(static_cast<unsigned char>(data_[i + 1]))) {
      if (number < 100000) number = number * 10 + (data_[i + 1] - '0');
      i++;
    }
    int copied = 0;
    if (number >= 1 && number <= fields) {
      copied = strfld(values, separator, static_cast<int>(number), 0, field.data(),
                      static_cast<int>(field.size()));
    }
    if (copied <= 0) {
      if (!lenient) return -4;
      continue;
    }
    out.append(field.data(), static_cast<size_t>(copied));
  }
  SetBytes(out.data(), static_cast<int>(out.size()));
  return 0;
}
