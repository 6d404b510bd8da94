// Byte-level text operations on phrase-list texts.
//
// A text is a byte string in GB18030 (a superset of GBK); the empty text and
// the absent text are the same value. Lengths and positions count bytes, and
// every scan steps over a multi-byte character as one unit, so a separator
// byte is only ever recognised at a character boundary. No function here
// throws or aborts, whatever the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marvoset {

using Text = std::string;

// Length in bytes (1 or 2) of the scanning unit that starts at text[pos]:
// a byte of 0x80 or above pairs with the byte after it when that byte can
// follow a lead byte (0x30-0x39, 0x40-0x7E, 0x80-0xFE); otherwise it stands
// alone, so a stray lead byte never swallows a line break or a separator.
// A four-byte GB18030 character is two such units.
std::size_t CharLength(std::string_view text, std::size_t pos);

// A list of texts with 1-based indices, as SplitText produces it.
class TextArray {
 public:
  TextArray() = default;
  explicit TextArray(std::vector<Text> elements) : elements_(std::move(elements)) {}

  std::size_t Count() const { return elements_.size(); }
  // Element `index` (1-based). An index below 1 or past Count() is an index
  // error and gives the empty text.
  const Text& At(std::size_t index) const;
  const std::vector<Text>& Elements() const { return elements_; }

 private:
  std::vector<Text> elements_;
};

// Splits `text` at every occurrence of `delimiter` found at a character
// boundary. An empty text gives no element; a delimiter at the very start
// gives an empty first element, adjacent delimiters an empty element between
// them, and a delimiter at the very end no trailing element. An empty
// delimiter does not split: the text is the only element. With `limit`, at
// most that many elements are returned and the text after the last one is
// dropped; a negative limit counts as 0.
TextArray SplitText(std::string_view text, std::string_view delimiter,
                    std::optional<int> limit = std::nullopt);

// The parts joined in argument order.
Text ConcatTexts(std::initializer_list<std::string_view> parts);

// Compares byte by byte as unsigned values: negative, 0 or positive.
int CompareTexts(std::string_view a, std::string_view b);

// 1-based byte position of the first occurrence of `to_find` in `text`,
// scanning from byte `start` - 1 (from byte 0 when start is 1 or less), or
// -1. An empty `to_find` gives 1 when anything remains to scan, else -1.
// With `ignore_case`, 'A'-'Z' equal 'a'-'z' byte-wise and nothing else folds.
std::int64_t FindText(std::string_view text, std::string_view to_find, std::int64_t start,
                      bool ignore_case);

}  // namespace marvoset
