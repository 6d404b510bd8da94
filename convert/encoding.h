// File encodings of phrase-list files, and the strict conversion between a
// file's bytes and the library's text (GB18030 with CR LF line breaks).
//
// Decoding is strict: a byte sequence that is not valid in the source
// encoding is reported with its line and byte offset, never replaced.
// Encoding is strict too: a character that the target encoding cannot
// represent is reported as a code point with its line, never written as '?'.
// GB18030 to GB18030 needs no transcoding: the text is only validated, and a
// file that already uses CR LF throughout is handed on without a copy.
//
// Lines are counted from 1 at every LF; offsets are 0-based byte offsets in
// the bytes given. The conversion itself is done by the platform backend
// (iconv on Linux, the Win32 API on Windows); validation and line-break handling are our own.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace marvoset {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be, kGbk, kGb18030 };

// "UTF-8", "UTF-16LE", "UTF-16BE", "GBK", "GB18030".
std::string_view EncodingName(Encoding encoding);

// The byte order mark of `encoding` ("" for GBK and GB18030, which get none).
std::string_view ByteOrderMark(Encoding encoding);

// Length of the byte order mark of `encoding` at the start of `bytes`, or 0.
std::size_t BomLength(std::string_view bytes, Encoding encoding);

struct DetectedEncoding {
  Encoding encoding;
  bool bom;  // the bytes start with that encoding's byte order mark
};

// A byte order mark decides (UTF-8, UTF-16LE, UTF-16BE); without one, bytes
// that are valid UTF-8 are UTF-8, anything else GB18030.
DetectedEncoding DetectEncoding(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Byte length of the valid GB18030 prefix of `bytes` (bytes.size() when all
// of it is valid). Accepts exactly the sequences the backend decodes.
std::size_t ValidGb18030Prefix(std::string_view bytes);

struct TextError {
  std::size_t line = 0;    // 1-based
  std::size_t offset = 0;  // 0-based byte offset of the offending sequence
  // 0 when the bytes are invalid in the source encoding; otherwise a valid
  // character that the target cannot represent.
  char32_t code_point = 0;
};

struct DecodeResult {
  bool ok = false;
  std::string_view text;  // when ok: GB18030, every line break CR LF
  TextError error;        // when not ok
};

// Decodes `bytes` (without its byte order mark) from `from` into GB18030 and
// turns every LF that lacks its CR into CR LF (a lone CR stays as it is).
// The result views either `bytes` itself (GB18030 needing no change) or
// `storage`, which it overwrites. Fails at the first invalid sequence, or at a
// character GB18030 has no form for (a few private-use code points).
DecodeResult DecodeToGb18030(std::string_view bytes, Encoding from, std::string& storage);

// The line (from 1) of byte offset `offset` in `bytes` of `encoding`: one
// more than the number of LFs before it.
std::size_t LineAt(std::string_view bytes, std::size_t offset, Encoding encoding);

// Where a piece of `bytes` that starts at `begin` (a character boundary)
// ends when it should hold about `size` bytes: just after the first LF at or
// after begin + size, or at the end of `bytes`. Pieces so cut decode one by
// one to exactly the text the whole decodes to, and fail at the same place.
std::size_t PieceEnd(std::string_view bytes, std::size_t begin, std::size_t size,
                     Encoding encoding);

// Receives the encoded output piece by piece; returns false to stop.
using ByteSink = std::function<bool(std::string_view)>;

enum class EncodeStatus { kOk, kUnrepresentable, kSinkFailed };

// Encodes the GB18030 `text` into `to` and hands the bytes to `sink` (no
// byte order mark). GB18030 goes to the sink as it is. On kUnrepresentable,
// `error` (when given) names the first character `to` cannot represent,
// with its line and offset in `text`; the sink may have received the part
// before it.
EncodeStatus EncodeFromGb18030(std::string_view text, Encoding to, const ByteSink& sink,
                               TextError* error = nullptr);

// The first character of the GB18030 `text` that `to` cannot represent.
std::optional<TextError> FindUnrepresentable(std::string_view text, Encoding to);

// "U+XXXX" (at least four hex digits).
std::string FormatCodePoint(char32_t code_point);

}  // namespace marvoset
