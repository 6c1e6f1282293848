// Fuzz target: CTxt editing and conversions and the free text helpers.
//
// The first bytes choose separators, field numbers and modes; the rest is the text. Each
// operation works on a fresh copy, so one fault shows at the operation that made it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/text/text_helpers.h"
#include "common/text/txt.h"
#include "fuzz/fuzz_env.h"

namespace {

const char kSeparators[] = {',', ' ', '|', ';', '\t', '/', '\0', '='};

void FieldHelpers(const std::string& s, FuzzInput& in) {
  const char* src = s.c_str();
  char sep = kSeparators[in.Byte() % sizeof kSeparators];
  int from = static_cast<signed char>(in.Byte());
  int to = static_cast<signed char>(in.Byte());
  size_t outSize = in.Byte() % 40;
  // Exactly outSize bytes on the heap, so any write past them is caught.
  char* out = new char[outSize ? outSize : 1];
  strfld(src, sep, from, to, out, static_cast<int>(outSize));
  strfld(src, sep, 99, 0, out, static_cast<int>(outSize));
  delete[] out;
  CountFields(src, sep);
  GetFieldInt(src, sep, from);
  std::string copy = s;
  TrimBlanks(copy.data());
  FindTextNoCase(src, copy.c_str());
  FindCharIn(sep, src);
  CompareNoCase(src, copy.c_str(), from & 3);
  HexToInt(src);
}

void Edits(const std::string& s, const std::string& p, FuzzInput& in) {
  const char* src = s.c_str();
  const char* q = p.c_str();
  int mode = in.Byte();
  char sep = kSeparators[mode % sizeof kSeparators];
  { CTxt t(src); t.FillPlaceHolder(q, mode & 1, sep); }
  { CTxt t(q); t.FillPlaceHolder(src, mode & 2, sep); }
  { CTxt t(src); t.ConvCRLF(0); t.ConvCRLF(1); }
  { CTxt t(src); t.ConvCRLF(1); }
  { CTxt t(src); t.ConvHTM2TXT(); }
  { CTxt t(src); t.ConvTxt2XML(); }
  { CTxt t(src); t.ConvHex(1); t.ConvHex(0); }
  { CTxt t(src); t.ConvHex(0); }
  { CTxt t(src); t.MaskNonFilename(mode & 1, q); t.MaskNonVar(mode & 2, q); }
  { CTxt t(src); t.MaskNonPrintable(); }
  { CTxt t(src); t.ReplaceInText(q, src); }
  { CTxt t(src); t.ReplaceInText(q, nullptr); }
  { CTxt t(src); t.RemoveFromText(q); }
  { CTxt t(src); t.RemoveCharList(q); t.ExtractChar(q); }
  { CTxt t(src); t.TrimNum(mode & 1); t.Trim(sep); t.TrimRight(sep); }
  { CTxt t(src); t.InsertCR(); }
  int a = static_cast<signed char>(in.Byte());
  int b = static_cast<signed char>(in.Byte());
  { CTxt t(src); t.RemoveRange(a, b); }
  { CTxt t(src); t.ExtractRange(a, b); }
  { CTxt t(src); t.InsertAt(a, q); t.InsertAt(b, sep); }
  { CTxt t(src); t.MakeFixedLength(a); t.MakeLength(b); }
  { CTxt t(src); t.SetTxtFixLen(q, a); }
  { CTxt t(src); t.FindChar(sep); t.FindCharList(q); t.FindTextA(q); }
  { CTxt t; t.GetField(src, sep, mode & 1); }
  { CTxt t; t.Format("%s|%d|%.*s", src, a, b, q); }
  { CTxt t; t.FormatMessageA("%1 %2", src, q); }
  { CTxt t; t.MakeValueTxt(static_cast<double>(a) * 1e6 / (b ? b : 1), a % 20); }
  { CTxt t; t.GetHexArray(src, static_cast<int>(s.size())); }
  { CTxt t; t.ReadFromRam(src, static_cast<int>(s.size())); }
  { CTxt t; t.BinaryRead(s.data(), static_cast<int>(s.size())); }
}

void FileNames(const std::string& s, const std::string& p) {
  CTxt t(s.c_str());
  CTxt out;
  for (int part = -1; part <= 8; ++part) {
    t.GetFileTxt(part, out);
    t.IsSameFileTxt(p.c_str(), part);
  }
  { CTxt u(s.c_str()); u.MakeFn(); }
  { CTxt u(s.c_str()); u.MakeFnDOS(); }
  { CTxt u(s.c_str()); u.MakeFileExt(p.c_str()); }
  { CTxt u(s.c_str()); u.MakeFileName(p.c_str(), p.c_str()); }
  { CTxt u(s.c_str()); u.InsertToFn(p.c_str(), 1); u.AddToFn(p.c_str(), 0); }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  std::string pattern = in.Text(32);
  uint8_t controls[8];
  for (uint8_t& c : controls) c = in.Byte();
  std::string text = in.Rest();
  // The record reader sees the raw bytes, zero bytes included.
  { CTxt t; t.BinaryRead(text.data(), static_cast<int>(text.size())); }
  FuzzInput ctl(controls, sizeof controls);
  FieldHelpers(text, ctl);
  Edits(text, pattern, ctl);
  FileNames(text, pattern);
  return 0;
}
