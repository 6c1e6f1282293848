// POSIX backend: message boxes (written to standard error) and message texts with numbered
// inserts in the manner of the Windows message formatter.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/platform/platform_posix.h"

int PlatformBackend::MessageBox(const char* text, const char* caption, unsigned flags) {
  fprintf(stderr, "[%s%s] %s\n", caption ? caption : "",
          (flags & 0xF0) == kMbIconError ? " (error)" : "", text ? text : "");
  fflush(stderr);
  return 1;  // IDOK
}

namespace {

// One insert's printf conversion, e.g. "s", "5d", "08lx"; how its argument is fetched.
enum class ArgKind { None, Text, Int, Int64, Pointer };

struct Insert {
  std::string printfSpec = "s";
  ArgKind kind = ArgKind::Text;
};

// Turns the text between the exclamation marks into a printf conversion; false when the
// conversion is one we cannot take from a va_list safely.
bool ParseSpec(const std::string& raw, Insert* ins) {
  if (raw.empty() || raw.find('*') != std::string::npos) return false;
  std::string printfSpec = raw;
  size_t i64 = printfSpec.find("I64");
  if (i64 != std::string::npos) printfSpec.replace(i64, 3, "ll");
  size_t i32 = printfSpec.find("I32");
  if (i32 != std::string::npos) printfSpec.erase(i32, 3);
  char conv = printfSpec.back();
  bool wide = printfSpec.find("ll") != std::string::npos ||
              (printfSpec.find('l') != std::string::npos && sizeof(long) == 8);
  switch (conv) {
    case 's':
      ins->kind = ArgKind::Text;
      if (printfSpec.find('l') != std::string::npos || printfSpec.find('w') != std::string::npos) return false;
      break;
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'c':
      ins->kind = wide ? ArgKind::Int64 : ArgKind::Int;
      break;
    case 'p':
      ins->kind = ArgKind::Pointer;
      break;
    default:
      return false;  // no floating point, as FormatMessage has none
  }
  ins->printfSpec = printfSpec;
  return true;
}

struct ArgValue {
  const char* text = nullptr;
  long long number = 0;
  void* pointer = nullptr;
};

}  // namespace

bool PlatformBackend::FormatInserts(const char* fmt, va_list args, std::string* out) {
  if (!fmt || !out) return false;
  Insert inserts[100];
  bool used[100] = {};
  int highest = 0;
  // First pass: learn each insert's conversion so that the arguments can be fetched in order.
  for (const char* p = fmt; *p; ++p) {
    if (*p != '%' || !p[1]) continue;
    ++p;
    if (*p < '1' || *p > '9') continue;
    int n = *p - '0';
    if (p[1] >= '0' && p[1] <= '9') n = n * 10 + (*++p - '0');
    Insert ins;
    if (p[1] == '!') {
      const char* end = strchr(p + 2, '!');
      if (!end) return false;
      if (!ParseSpec(std::string(p + 2, end), &ins)) return false;
      p = end;
    }
    if (!used[n]) {
      inserts[n] = ins;
      used[n] = true;
    } else if (inserts[n].kind != ins.kind) {
      return false;  // one argument read two ways
    }
    if (n > highest) highest = n;
  }
  ArgValue values[100];
  va_list ap;
  va_copy(ap, args);
  for (int n = 1; n <= highest; ++n) {
    ArgKind kind = used[n] ? inserts[n].kind : ArgKind::Pointer;
    switch (kind) {
      case ArgKind::Text: values[n].text = va_arg(ap, const char*); break;
      case ArgKind::Int: values[n].number = va_arg(ap, int); break;
      case ArgKind::Int64: values[n].number = va_arg(ap, long long); break;
      case ArgKind::Pointer: values[n].pointer = va_arg(ap, void*); break;
      case ArgKind::None: break;
    }
  }
  va_end(ap);

  std::string result;
  for (const char* p = fmt; *p; ++p) {
    if (*p != '%') {
      result += *p;
      continue;
    }
    char c = *++p;
    if (c == 0) break;
    if (c == '0') break;  // %0 ends the message without a line break
    if (c >= '1' && c <= '9') {
      int n = c - '0';
      if (p[1] >= '0' && p[1] <= '9') n = n * 10 + (*++p - '0');
      if (p[1] == '!') p = strchr(p + 2, '!');
      const Insert& ins = inserts[n];
      const ArgValue& v = values[n];
      const char* text = v.text ? v.text : "(null)";
      if (ins.kind == ArgKind::Text && ins.printfSpec == "s") {
        result += text;
        continue;
      }
      std::string conv = "%" + ins.printfSpec;
      auto render = [&](char* buf, size_t size) {
        switch (ins.kind) {
          case ArgKind::Text: return snprintf(buf, size, conv.c_str(), text);
          case ArgKind::Int: return snprintf(buf, size, conv.c_str(), (int)v.number);
          case ArgKind::Int64: return snprintf(buf, size, conv.c_str(), v.number);
          case ArgKind::Pointer: return snprintf(buf, size, conv.c_str(), v.pointer);
          case ArgKind::None: break;
        }
        return 0;
      };
      int len = render(nullptr, 0);
      if (len < 0) return false;
      std::string piece((size_t)len + 1, '\0');
      render(piece.data(), piece.size());
      result.append(piece.data(), (size_t)len);
      continue;
    }
    switch (c) {
      case 'n': result += "\r\n"; break;
      case 'r': result += '\r'; break;
      case 't': result += '\t'; break;
      default: result += c; break;  // %% %. %! and "% " give the character itself
    }
  }
  *out = result;
  return true;
}
