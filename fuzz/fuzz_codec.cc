// Fuzz target: the GB18030 <-> UTF-16 codec. Any bytes decode and encode
// back to themselves; any valid UTF-16 encodes and decodes back to itself
// (but for the few private-use code points GB18030 no longer maps, which
// become U+FFFD).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marvoset;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (Utf16ToGb18030(Gb18030ToUtf16(bytes)) != bytes) std::abort();

  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    const bool low = u >= 0xDC00 && u <= 0xDFFF;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      ++i;  // a valid pair
    } else if (high || low) {
      units[i] = u'?';  // keep the text valid UTF-16
    }
  }
  const std::u16string back = Gb18030ToUtf16(Utf16ToGb18030(units));
  if (back.size() != units.size()) std::abort();
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (back[i] == units[i]) continue;
    if (back[i] != u'\uFFFD' || units[i] < 0xE000 || units[i] > 0xF8FF) std::abort();
  }
  return 0;
}
