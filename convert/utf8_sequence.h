// The structure of one UTF-8 character, shared by the encoding checks and
// the Windows transcoder so that both stop at the same byte.
#pragma once

#include <cstddef>

namespace marvoset {

// Length of the UTF-8 character that starts at p (n > 0 bytes): 1 to 4; 0
// when the bytes are no UTF-8 character (overlong forms, surrogates and
// anything above U+10FFFF included); -1 when they start one that the end of
// the bytes cuts off.
inline int Utf8SequenceLength(const unsigned char* p, std::size_t n) {
  const unsigned char c = p[0];
  if (c < 0x80) return 1;
  int length;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) lo = 0xA0;  // no overlong forms
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  for (int k = 1; k < length; ++k) {
    if (static_cast<std::size_t>(k) >= n) return -1;
    const unsigned char min = k == 1 ? lo : 0x80, max = k == 1 ? hi : 0xBF;
    if (p[k] < min || p[k] > max) return 0;
  }
  return length;
}

}  // namespace marvoset
