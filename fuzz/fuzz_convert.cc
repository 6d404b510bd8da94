// Fuzz target: both list converters.
// - Any bytes: no crash, and a converted list is the input with only ','
//   and '=' exchanged, plus a final CR LF where the input lacks one.
// - Any bytes cut into pieces after CR LFs, the pieces converted alone in
//   reverse order and joined in order, give the whole list's conversion.
// - A list built from well-formed entries (keys, digits and phrases chosen
//   by the fuzzer's bytes) converts there and back to itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/converter.h"

namespace {

using namespace marvoset;

void CheckOnlySeparatorsChanged(const std::string& in, const std::string& out) {
  if (out.empty()) return;
  const bool ends_with_break = in.size() >= 2 && in.compare(in.size() - 2, 2, "\r\n") == 0;
  if (out.size() != in.size() + (ends_with_break ? 0 : 2)) std::abort();
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (out[i] == in[i]) continue;
    const bool separators = (in[i] == ',' || in[i] == '=') && (out[i] == ',' || out[i] == '=');
    if (!separators) std::abort();
  }
  if (out.compare(out.size() - 2, 2, "\r\n") != 0) std::abort();
}

// ListConverter over pieces cut after the first CR LF past every `size`
// bytes, converted alone last to first; "" when the probe never passed.
std::string ConvertInPieces(std::string text, const ConversionRule& rule, std::size_t size) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
  std::vector<std::size_t> cuts{0};
  while (cuts.back() < text.size()) {
    const std::size_t cut = text.find("\r\n", cuts.back() + size);
    cuts.push_back(cut == std::string::npos ? text.size() : cut + 2);
  }
  ListConverter converter(rule);
  std::vector<ListConverter::Piece> pieces(cuts.size() - 1);
  for (std::size_t k = pieces.size(); k-- > 0;) {
    converter.ConvertAlone(text.data() + cuts[k], cuts[k + 1] - cuts[k], pieces[k]);
  }
  for (std::size_t k = 0; k < pieces.size(); ++k) converter.Join(text.data() + cuts[k], pieces[k]);
  return converter.probe_passed() ? text : "";
}

// Phrase pieces: Chinese, an emoji, a rare hanzi, separators, code.
const char* const kPieces[] = {"\xB1\xB1\xBE\xA9",  // 北京
                               "\x94\x39\xFC\x36",  // 😀
                               "\x95\x32\x82\x36",  // 𠀀
                               ",",
                               "=",
                               "==",
                               " ",
                               "a",
                               "Z",
                               "9",
                               "$ch",
                               ";",
                               "\t",
                               "\xA1\xA1"};

std::string BuildList(const uint8_t* data, size_t size) {
  std::string list;
  std::size_t i = 0;
  while (i + 2 < size) {
    const int key_length = 1 + data[i] % 5;
    for (int k = 0; k < key_length; ++k) list += static_cast<char>('a' + (data[i] + k * 7) % 26);
    list += ',';
    list += static_cast<char>('0' + data[i + 1] % 10);
    list += '=';
    const int pieces = data[i + 2] % 6;  // 0: an empty phrase
    i += 3;
    for (int p = 0; p < pieces && i < size; ++p, ++i) {
      list += kPieces[data[i] % (sizeof kPieces / sizeof kPieces[0])];
    }
    list += "\r\n";
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 2 == 0) {
    for (const ConversionRule* rule : {&kSogouToQqRule, &kQqToSogouRule}) {
      const std::string whole = ConvertList(raw, *rule);
      CheckOnlySeparatorsChanged(raw, whole);
      if (ConvertInPieces(raw, *rule, data[0] / 2) != whole) std::abort();
    }
    return 0;
  }
  const std::string sogou = BuildList(data + 1, size - 1);
  if (sogou.empty()) return 0;
  const std::string qq = ConvertSogouToQq(sogou);
  if (qq.empty() || ConvertQqToSogou(qq) != sogou) std::abort();
  return 0;
}
