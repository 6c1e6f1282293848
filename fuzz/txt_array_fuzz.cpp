// Fuzz target: text arrays loaded from texts and files, and their key-value entries.
//
// The bytes are loaded as a text and, written to a file of the temporary root, through
// every file loader (whole, block reader with and without a limit, CSV); the loaded lines
// are then used as keys and values, sorted, joined and saved. The block reader works with
// its smallest block, so that lines straddle blocks in small inputs too, and also reads the
// bytes from memory into a line buffer of a size the first byte chooses.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/lists/txt_array.h"
#include "common/platform/modules.h"
#include "common/testing/test_dirs.h"
#include "common/text/block_reader.h"
#include "common/text/txt.h"
#include "fuzz/fuzz_env.h"

namespace {

void KeyValues(CTxtArray& a) {
  CTxt out;
  const int n = a.GetSize();
  for (int i = 0; i < n && i < 20; ++i) {
    const char* entry = a.GetAtTxt(i);
    if (!entry) continue;
    std::string key = entry;
    a.FindValue(key.c_str(), out, i & 1);
    a.FindValueReset(key.c_str(), out, 1);
    a.FindValueInt(key.c_str());
    a.FindStringStart(key.c_str(), i & 1);
    a.FindStringSegment(key.c_str());
    a.AddCnt(key.c_str());
    a.SetValue(key.c_str(), i % 3 ? key.c_str() : nullptr);
    a.AddIfNewIdx(key.c_str());
  }
  a.Sort();
  a.GetDelimTxt(out, "|");
  a.LoadFromFields(out, '|', 0);
  CTxt joined;
  joined.LoadFromArray(a, ",");
  CTxtArray copy;
  copy.LoadFromTxtArray(a);
  copy.Compare(a);
}

void ReadLinesFromMemory(const std::string& bytes, int bufSize) {
  BlockReader reader;
  reader.OpenMemory(bytes.data(), bytes.size());
  // Exactly bufSize bytes on the heap, so a write past them is caught.
  std::vector<char> buf(static_cast<size_t>(bufSize));
  for (int i = 0; i < 100000 && reader.ReadLine(buf.data(), bufSize) >= 0; ++i) {
  }
  reader.Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzEnvInit();
  SetEnvironmentValue("BGETLRAM", "1010");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const int limit = size ? static_cast<signed char>(data[0]) % 8 : 0;

  CTxtArray fromText;
  fromText.LoadFromTxt(bytes.c_str());
  KeyValues(fromText);
  ReadLinesFromMemory(bytes, size ? 1 + data[size - 1] % 40 : 1);
  CTxtArray fromFields;
  fromFields.LoadFromFields(bytes.c_str(), ',');

  static const std::string path = FuzzEnvInit() + "/fuzz_lines.txt";
  if (!WriteWholeFile(path, bytes)) return 0;
  CTxt msg;
  CTxtArray whole;
  whole.LoadFromFile(path.c_str(), msg);
  KeyValues(whole);
  CTxtArray buffered;
  buffered.LoadFromFileBuf(path.c_str(), msg, 0);
  buffered.LoadFromFileBuf(path.c_str(), msg, limit);
  CTxtArray csv;
  csv.LoadFromCSV(path.c_str(), msg);
  KeyValues(csv);
  csv.SaveToFile(path.c_str(), msg, limit);
  return 0;
}
