// Byte-level text operations; see text_ops.h.
#include "convert/text_ops.h"

#include <algorithm>
#include <cstring>

namespace marvoset {
namespace {

// Bytes that may follow a lead byte in GB18030: the second byte of a
// two-byte character (0x40-0x7E, 0x80-0xFE) or of a four-byte one (0x30-0x39).
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x30 && b <= 0x39) || (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
}

const Text kEmptyText;

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80 || pos + 1 >= text.size()) return 1;
  return IsTrailByte(static_cast<unsigned char>(text[pos + 1])) ? 2 : 1;
}

const Text& TextArray::At(std::size_t index) const {
  if (index < 1 || index > elements_.size()) return kEmptyText;
  return elements_[index - 1];
}

TextArray SplitText(std::string_view text, std::string_view delimiter, std::optional<int> limit) {
  std::vector<Text> out;
  const std::size_t max_elements =
      limit ? static_cast<std::size_t>(std::max(*limit, 0)) : static_cast<std::size_t>(-1);
  if (text.empty() || max_elements == 0) return TextArray(std::move(out));
  if (delimiter.empty()) {
    out.emplace_back(text);
    return TextArray(std::move(out));
  }

  const std::size_t k = delimiter.size();
  std::size_t segment = 0;
  std::size_t pos = 0;
  while (text.size() - pos >= k) {
    if (std::memcmp(text.data() + pos, delimiter.data(), k) == 0) {
      out.emplace_back(text.substr(segment, pos - segment));
      if (out.size() == max_elements) return TextArray(std::move(out));
      pos += k;
      segment = pos;
    } else {
      pos += CharLength(text, pos);
    }
  }
  if (segment < text.size()) out.emplace_back(text.substr(segment));
  return TextArray(std::move(out));
}

Text ConcatTexts(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (auto part : parts) size += part.size();
  Text out;
  out.reserve(size);
  for (auto part : parts) out.append(part);
  return out;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  if (n > 0) {
    // memcmp compares as unsigned char.
    if (int c = std::memcmp(a.data(), b.data(), n); c != 0) return c < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::int64_t FindText(std::string_view text, std::string_view to_find, std::int64_t start,
                      bool ignore_case) {
  const auto length = static_cast<std::int64_t>(text.size());
  const auto k = static_cast<std::int64_t>(to_find.size());
  std::int64_t pos = start <= 1 ? 0 : start - 1;
  if (pos >= length) return -1;
  if (k == 0) return 1;

  auto fold = [ignore_case](unsigned char c) -> unsigned char {
    return (ignore_case && c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
  };
  while (length - pos >= k) {
    std::int64_t i = 0;
    while (i < k && fold(static_cast<unsigned char>(text[pos + i])) ==
                        fold(static_cast<unsigned char>(to_find[i]))) {
      ++i;
    }
    if (i == k) return pos + 1;
    pos += static_cast<std::int64_t>(CharLength(text, static_cast<std::size_t>(pos)));
  }
  return -1;
}

}  // namespace marvoset
