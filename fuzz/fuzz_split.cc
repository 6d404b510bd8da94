// Fuzz target: SplitText with any text, delimiter and element limit. The
// elements joined with the delimiter give the text back (less a final
// delimiter), and a limit keeps exactly the first elements.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/text_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marvoset;
  if (size < 2) return 0;
  const int limit_byte = data[0];
  const std::size_t delimiter_size = data[1] % 4;
  if (size < 2 + delimiter_size) return 0;
  const std::string delimiter(reinterpret_cast<const char*>(data + 2), delimiter_size);
  const std::string text(reinterpret_cast<const char*>(data + 2 + delimiter_size),
                         size - 2 - delimiter_size);

  const TextArray all = SplitText(text, delimiter);
  std::string joined;
  for (std::size_t i = 1; i <= all.Count(); ++i) {
    if (i > 1) joined += delimiter;
    joined += all.At(i);
  }
  if (joined != text && joined + delimiter != text) std::abort();
  if (text.empty() != (all.Count() == 0)) std::abort();

  if (limit_byte != 0xFF) {
    const int limit = limit_byte - 8;  // also negative limits
    const TextArray some = SplitText(text, delimiter, limit);
    const std::size_t expected = std::min<std::size_t>(all.Count(), limit < 0 ? 0 : limit);
    if (some.Count() != expected) std::abort();
    for (std::size_t i = 1; i <= some.Count(); ++i) {
      if (some.At(i) != all.At(i)) std::abort();
    }
  }
  return 0;
}
