// COM and OLE Automation types as the host's study object uses them.
//
// On Windows these are the real IUnknown, GUID, HRESULT, VARIANT and BSTR of <windows.h> and
// <oleauto.h>, and the string and variant calls come from oleaut32. Elsewhere a small layer of
// our own stands in with the same names, the same vtable shape for IUnknown (QueryInterface,
// AddRef, Release in slots 0 to 2) and the same ownership rules:
// - a BSTR is a length-prefixed, zero-terminated wide string; SysAllocString makes one,
//   SysFreeString frees it (null is fine), SysStringLen gives its length in characters;
// - a VARIANT owns the BSTR it holds; VariantClear frees it and leaves VT_EMPTY;
// - VariantChangeType converts between VT_EMPTY, VT_I4, VT_R4, VT_R8 and VT_BSTR (dest may be
//   src) and leaves dest untouched on failure; other types give DISP_E_BADVARTYPE.
// OLECHAR is wchar_t on both sides, so L"..." literals work everywhere (it is 16 bits on
// Windows and 32 bits on Linux; both ends of a call are always built by the same compiler).
#pragma once

#ifdef _WIN32

#include "common/platform/win32_api.h"  // the lean <windows.h>, first
#include <oleauto.h>

#else

#include <cstdint>

using HRESULT = int32_t;
using ULONG = uint32_t;
using UINT = unsigned int;
using USHORT = unsigned short;
using VARTYPE = unsigned short;
using VARIANT_BOOL = short;
using OLECHAR = wchar_t;
using BSTR = OLECHAR*;

#define STDMETHODCALLTYPE
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;  // objects go away through Release, never through this pointer
};

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
};

struct VARIANT {
  VARTYPE vt;
  unsigned short wReserved1;
  unsigned short wReserved2;
  unsigned short wReserved3;
  union {
    int32_t lVal;
    float fltVal;
    double dblVal;
    BSTR bstrVal;
    int64_t llVal;  // keeps the union at 8 bytes, as in the real layout
  };
};
using VARIANTARG = VARIANT;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

void VariantInit(VARIANTARG* v);
HRESULT VariantClear(VARIANTARG* v);
HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* src, USHORT flags, VARTYPE vt);

#endif  // _WIN32

// Field-by-field comparison of two interface identifiers (same on both builds).
bool SameIid(const IID& a, const IID& b);

// A VARIANT holding a new BSTR made from a single-byte text (each byte widened as it is).
// The caller clears it with VariantClear.
VARIANT MakeBstrVariant(const char* text);
