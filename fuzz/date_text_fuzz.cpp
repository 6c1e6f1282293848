// Fuzz target: date and time texts as users, files and hosts write them.
//
// The input is split at the first byte 0x01 into a text and a few control bytes (field
// numbers and separator for GetDateAlpha). The text goes through every reader; each value
// it leaves behind is written back out in every style (and one style out of range).

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/datetime/date_time.h"
#include "common/text/txt.h"
#include "fuzz/fuzz_env.h"

namespace {

void WriteAllStyles(const CXMTDateTime& v) {
  CTxt out;
  std::string s;
  for (int style = -1; style <= 30; ++style) {
    v.GetTxt(out, style);
    v.GetStr(s, style);
  }
  CTxt dur;
  CXMTDateTime other = v;
  other.SetDT(20150415, 123000);
  v.GetDurTxt(dur, &other);
  v.GetDurTxtHMS(dur, &other);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string all(reinterpret_cast<const char*>(data), size);
  std::string ctl;
  size_t cut = all.find('\x01');
  if (cut != std::string::npos) {
    ctl = all.substr(cut + 1);
    all.resize(cut);
  }
  const char* text = all.c_str();  // a zero byte inside simply ends the text
  auto ctlByte = [&](size_t i) { return i < ctl.size() ? static_cast<unsigned char>(ctl[i]) : 0; };

  CXMTDateTime v;
  v.SetDT(text);
  WriteAllStyles(v);
  v.SetDTCheck(text);
  v.SetDTConvLocal(text);
  WriteAllStyles(v);

  CXMTDateTime d;
  d.SetDate(text);
  d.SetTime(text);
  WriteAllStyles(d);

  CTxt conv;
  CXMTDateTime::SetDTConvLocalTxt(text, conv);
  CXMTDateTime::ParseDateTxt(text);
  CXMTDateTime::ParseTimeTxt(text);
  CXMTDateTime::GetTimeAlpha(text);
  CXMTDateTime::GetWeekDayVal(text, ctlByte(0) & 1);
  int yearField = static_cast<int>(ctlByte(0) % 6) - 1;
  int monthField = static_cast<int>(ctlByte(1) % 5);
  int dayField = static_cast<int>(ctlByte(2) % 5);
  char sep = ctl.size() > 3 ? ctl[3] : ' ';
  CXMTDateTime::GetDateAlpha(text, yearField, monthField, dayField, sep);

  CXMTDateTime dash;
  dash.SetDTDash(text, yearField);
  WriteAllStyles(dash);
  CXMTDateTime n;
  n.SetDT64(text);
  n.SetDTJul(text);
  WriteAllStyles(n);
  return 0;
}
