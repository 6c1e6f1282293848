// Copying a text into a caller's buffer whose size the call does not pass (the error texts
// of the exports). Each library documents its bound in its C header; nothing past that
// bound, terminator included, is ever written.
#pragma once

#include <cstddef>
#include <cstring>

// Copies text (null: empty) into buffer (null: nothing happens), cut to bound - 1 bytes
// and terminated. A bound below 1 writes nothing.
inline void CopyToCaller(char* buffer, size_t bound, const char* text) {
  if (!buffer || bound == 0) return;
  size_t n = text ? std::strlen(text) : 0;
  if (n > bound - 1) n = bound - 1;
  if (n) std::memcpy(buffer, text, n);
  buffer[n] = 0;
}
