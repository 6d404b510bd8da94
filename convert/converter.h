// Conversion of whole custom-phrase lists between Sogou Pinyin
// (`key,digit=phrase`) and QQ Pinyin (`key=digit,phrase`).
//
// Both directions run one algorithm, parameterised by a ConversionRule.
// Input lines are separated by CR LF; every output line ends with CR LF. The
// result is the empty text exactly when the input does not pass the probe
// (no key separator + one ASCII digit + field separator anywhere). Phrases
// pass through byte for byte, and so do the body lines of a multi-line
// phrase (an entry with an empty phrase followed by lines up to the next
// entry line).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "convert/text_ops.h"

namespace marvoset {

struct ConversionRule {
  std::string_view probe_pattern;  // regular expression: B, one digit, A
  char field_separator;            // A: splits a line; also the key rewrite's replacement
  char key_separator;              // B: rewritten to A in the key; joins key and phrase
  // GB18030 comment line, with a line break before and after it, that
  // follows the converted list in merge mode.
  std::string_view merge_separator;
};

// "\r\n;  ----------下面为QQ拼音---------\r\n"
inline constexpr ConversionRule kSogouToQqRule{
    R"(,\d{1}=)", '=', ',',
    "\r\n;  ----------\xCF\xC2\xC3\xE6\xCE\xAAQQ\xC6\xB4\xD2\xF4---------\r\n"};
// "\r\n;  ----------下面为搜狗拼音---------\r\n"
inline constexpr ConversionRule kQqToSogouRule{
    R"(=\d{1},)", ',', '=',
    "\r\n;  ----------\xCF\xC2\xC3\xE6\xCE\xAA\xCB\xD1\xB9\xB7\xC6\xB4\xD2\xF4---------\r\n"};

// True when `text` holds at least one match of the rule's probe pattern.
bool ProbeList(std::string_view text, const ConversionRule& rule);

// The converted list, or "" when the probe finds nothing.
Text ConvertList(std::string_view text, const ConversionRule& rule);

// The same conversion applied to a list piece by piece, as it is streamed
// from a file. Converted one after another, the pieces give exactly what
// ConvertList gives for the whole, provided the probe passed on one of them
// (otherwise the whole is not a list). Every piece ends with CR LF: the
// last one, when the list lacks its final CR LF, with one the caller
// appended.
//
// A piece can be converted on its own, on any thread (ConvertAlone), and
// joined to the pieces before it later, in order (Join): only the lines
// before its first entry line depend on those pieces, and Join puts them
// right when a multi-line phrase's body runs into the piece.
class ListConverter {
 public:
  // What ConvertAlone leaves for Join.
  struct Piece {
    bool probe_passed = false;
    bool has_entry = false;     // the piece holds an entry line
    bool ends_in_body = false;  // the line after the piece may be body
    std::string prefix;         // the lines before the first entry line, as they were
  };

  explicit ListConverter(const ConversionRule& rule) : rule_(rule) {}

  // Converts `data` in place as though no body ran into it.
  void ConvertAlone(char* data, std::size_t size, Piece& piece) const;
  // Joins the next piece, converted alone, to those before it. Returns true
  // when that changed its bytes.
  bool Join(char* data, const Piece& piece);

  // True once the probe found a match in a piece joined so far.
  bool probe_passed() const { return probe_passed_; }

 private:
  const ConversionRule& rule_;
  bool probe_passed_ = false;
  bool in_body_ = false;  // the next piece may continue a multi-line phrase
};

Text ConvertSogouToQq(std::string_view text);
Text ConvertQqToSogou(std::string_view text);

}  // namespace marvoset
