// Fuzz target: the command-line tool's input decoding with encoding
// detection. Any bytes either decode into valid GB18030 with CR LF line
// breaks, or fail at a place inside the input; a decoded text encodes back
// into the detected encoding, and into the very input bytes when those
// already used CR LF throughout.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marvoset;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const DetectedEncoding detected = DetectEncoding(input);
  const std::size_t bom = BomLength(input, detected.encoding);
  if (detected.bom != (bom > 0)) std::abort();
  const std::string_view body = std::string_view(input).substr(bom);

  std::string storage;
  const DecodeResult decoded = DecodeToGb18030(body, detected.encoding, storage);
  if (!decoded.ok) {
    if (decoded.error.offset >= body.size() || decoded.error.line < 1) std::abort();
    return 0;
  }
  const std::string_view text = decoded.text;
  if (ValidGb18030Prefix(text) != text.size()) std::abort();
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
    if (i == 0 || text[i - 1] != '\r') std::abort();
  }

  std::string encoded;
  const EncodeStatus status =
      EncodeFromGb18030(text, detected.encoding, [&](std::string_view piece) {
        encoded.append(piece);
        return true;
      });
  if (status != EncodeStatus::kOk) std::abort();
  // Decoding what was encoded gives the same text again.
  std::string again;
  const DecodeResult redecoded = DecodeToGb18030(encoded, detected.encoding, again);
  if (!redecoded.ok || redecoded.text != text) std::abort();
  // Where the input needed no line-break change, encoding gives its bytes back.
  // Line breaks are characters, so UTF-16 is read a unit at a time.
  const bool utf16 =
      detected.encoding == Encoding::kUtf16Le || detected.encoding == Encoding::kUtf16Be;
  const std::size_t step = utf16 ? 2 : 1;
  auto unit = [&](std::size_t i) -> unsigned {
    if (!utf16) return static_cast<unsigned char>(body[i]);
    const auto lo =
        static_cast<unsigned char>(body[detected.encoding == Encoding::kUtf16Le ? i : i + 1]);
    const auto hi =
        static_cast<unsigned char>(body[detected.encoding == Encoding::kUtf16Le ? i + 1 : i]);
    return lo | (hi << 8);
  };
  bool lone_lf = false;
  for (std::size_t i = 0; i + step <= body.size(); i += step) {
    if (unit(i) == '\n' && (i == 0 || unit(i - step) != '\r')) lone_lf = true;
  }
  if (!lone_lf && encoded != body) std::abort();
  return 0;
}
