// One string value of the system's own registry key "Software\XMT\<name>" below the local
// machine root (32-bit view), created with a default when it is missing.
#pragma once

class CTxt;

// Reads valueName of "Software\XMT\<keyName>" into out (keyName null: the running program's
// file name without folder and extension). With create 1 the key is created when missing.
// A missing value gets def (empty when null) in out and is written to the key.
// Result 0; -1 the key cannot be opened or created; -2 the default could not be written;
// -3 the value exists but cannot be read as a string (out gets def, nothing is written).
int ReadRegString(const char* valueName, CTxt& out, const char* def, const char* keyName,
                  int create);
