// The stand-in BSTR and VARIANT calls for builds without oleaut32, and the two small helpers
// both builds share. The conversions follow what oleaut32 does for the types we use: numbers
// convert among themselves (integers round half to even, out-of-range values overflow),
// VT_EMPTY reads as 0 or an empty text, and a text converts to a number only when all of it
// is one.
#include "hostbridge/com_types.h"

#include <cstring>

#ifndef _WIN32

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <string>

namespace {

// Layout of our BSTR: a 32-bit byte count, then the characters and a terminator. The BSTR
// points at the first character, as on Windows.
constexpr size_t kPrefix = sizeof(uint32_t);

uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

HRESULT ToDouble(const VARIANT& v, double* out) {
  switch (v.vt) {
    case VT_EMPTY: *out = 0.0; return S_OK;
    case VT_I4: *out = v.lVal; return S_OK;
    case VT_R4: *out = v.fltVal; return S_OK;
    case VT_R8: *out = v.dblVal; return S_OK;
    case VT_BSTR: {
      std::string narrow;
      for (UINT i = 0, n = SysStringLen(v.bstrVal); i < n; ++i) {
        wchar_t c = v.bstrVal[i];
        if (c <= 0 || c > 127) return DISP_E_TYPEMISMATCH;
        narrow.push_back(static_cast<char>(c));
      }
      const char* begin = narrow.c_str();
      while (*begin == ' ') ++begin;
      if (*begin == '\0') return DISP_E_TYPEMISMATCH;
      char* end = nullptr;
      double d = std::strtod(begin, &end);
      while (*end == ' ') ++end;
      if (*end != '\0' || std::isnan(d)) return DISP_E_TYPEMISMATCH;
      if (std::isinf(d)) return DISP_E_OVERFLOW;
      *out = d;
      return S_OK;
    }
    default: return DISP_E_BADVARTYPE;
  }
}

HRESULT ToText(const VARIANT& v, std::wstring* out) {
  char buf[64];
  switch (v.vt) {
    case VT_EMPTY: out->clear(); return S_OK;
    case VT_BSTR: out->assign(v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal)); return S_OK;
    case VT_I4: std::snprintf(buf, sizeof buf, "%d", v.lVal); break;
    case VT_R4: std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(v.fltVal)); break;
    case VT_R8: std::snprintf(buf, sizeof buf, "%.15G", v.dblVal); break;
    default: return DISP_E_BADVARTYPE;
  }
  out->assign(buf, buf + std::strlen(buf));
  return S_OK;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
  if (bytes > std::numeric_limits<uint32_t>::max()) return nullptr;
  char* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  uint32_t byteCount = static_cast<uint32_t>(bytes);
  std::memcpy(block, &byteCount, kPrefix);
  BSTR result = reinterpret_cast<BSTR>(block + kPrefix);
  if (text) {
    std::memcpy(result, text, bytes);
  } else {
    std::memset(result, 0, bytes);
  }
  result[length] = L'\0';
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
  if (text) std::free(PrefixOf(text));
}

UINT SysStringLen(BSTR text) {
  return text ? static_cast<UINT>(*PrefixOf(text) / sizeof(OLECHAR)) : 0;
}

void VariantInit(VARIANTARG* v) {
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* v) {
  if (!v) return E_INVALIDARG;
  switch (v->vt) {
    case VT_BSTR: SysFreeString(v->bstrVal); break;
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: break;
    default: return DISP_E_BADVARTYPE;
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT /*flags*/,
                          VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  result.vt = vt;
  if (vt == VT_BSTR) {
    std::wstring text;
    HRESULT hr = ToText(*src, &text);
    if (FAILED(hr)) return hr;
    result.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!result.bstrVal) return E_OUTOFMEMORY;
  } else if (vt == VT_EMPTY || vt == VT_I4 || vt == VT_R4 || vt == VT_R8) {
    double d = 0.0;
    HRESULT hr = ToDouble(*src, &d);
    if (FAILED(hr)) return hr;
    if (vt == VT_I4) {
      double r = std::nearbyint(d);  // default rounding mode: half to even
      if (r < -2147483648.0 || r > 2147483647.0) return DISP_E_OVERFLOW;
      result.lVal = static_cast<int32_t>(r);
    } else if (vt == VT_R4) {
      if (std::fabs(d) > std::numeric_limits<float>::max()) return DISP_E_OVERFLOW;
      result.fltVal = static_cast<float>(d);
    } else if (vt == VT_R8) {
      result.dblVal = d;
    }
  } else {
    return DISP_E_BADVARTYPE;
  }
  VariantClear(dest);  // frees a text being replaced, also when converting in place
  *dest = result;
  return S_OK;
}

#endif  // !_WIN32

bool SameIid(const IID& a, const IID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

VARIANT MakeBstrVariant(const char* text) {
  VARIANT v;
  VariantInit(&v);
  size_t n = text ? std::strlen(text) : 0;
  BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
  if (!b) return v;  // stays VT_EMPTY
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(text[i]);
  v.vt = VT_BSTR;
  v.bstrVal = b;
  return v;
}
