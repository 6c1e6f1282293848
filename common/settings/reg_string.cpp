// One string value of the system's registry key (see reg_string.h). The bar manager keeps
// the drive of its data folder here.
#include "common/settings/reg_string.h"

#include <string>

#include "common/platform/platform.h"
#include "common/platform/scoped_release.h"
#include "common/settings/settings.h"
#include "common/text/txt.h"

namespace {
constexpr long kNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr size_t kValueMax = 9999;  // the value is read through a buffer of 10000 bytes
}  // namespace

int ReadRegString(const char* valueName, CTxt& out, const char* def, const char* keyName,
                  int create) {
  out.Empty();
  Platform& p = Platform::Default();
  std::string keyPath = "Software\\XMT\\" + (keyName ? std::string(keyName) : ProgramFileTitle());
  void* key = nullptr;
  if (p.RegOpen(RegRoot::LocalMachine, keyPath.c_str(), create == 1, true, &key) != 0) return -1;
  ScopedRelease closeKey([&p, key] { p.RegClose(key); });

  int result = 0;
  std::string value;
  long err = p.RegQueryString(key, valueName, &value);
  if (err == 0) {
    if (value.size() > kValueMax) value.resize(kValueMax);
    out.SetTxt(value.c_str());
  } else {
    out.SetTxt(def ? def : "");
    // Only a value that is really missing gets the default; one we merely cannot read (of
    // another type, say) is left as it is.
    if (err != kNotFound) {
      result = -3;
    } else if (p.RegSetString(key, valueName, def ? def : "") != 0) {
      result = -2;
    }
  }
  return result;
}
