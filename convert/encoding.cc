// File encodings: detection, strict decoding into GB18030 and strict encoding
// out of it; see encoding.h. The transcoder (transcoder.h) converts;
// validation of UTF-8 and GB18030 and the line-break handling are done here.
#include "convert/encoding.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "convert/memory_hints.h"
#include "convert/transcoder.h"
#include "convert/utf8_sequence.h"

namespace marvoset {
namespace {

constexpr std::size_t kChunk = 1 << 20;  // transcoding buffer

const char* NameOf(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kUtf16Le:
      return "UTF-16LE";
    case Encoding::kUtf16Be:
      return "UTF-16BE";
    case Encoding::kGbk:
      return "GBK";
    case Encoding::kGb18030:
      return "GB18030";
  }
  return "GB18030";
}

// ---------------------------------------------------------------- GB18030

// Whether the four-byte sequence at p (p[0] a lead, p[1] a digit) is one
// that the backend decodes: the BMP range less two short runs the backend
// leaves unmapped, and the supplementary planes.
bool ValidFourByte(const unsigned char* p) {
  if (p[2] < 0x81 || p[2] > 0xFE || p[3] < 0x30 || p[3] > 0x39) return false;
  const std::uint32_t linear =
      (((p[0] - 0x81u) * 10 + (p[1] - 0x30u)) * 126 + (p[2] - 0x81u)) * 10 + (p[3] - 0x30u);
  if (linear <= 39419) {
    return !(linear >= 19057 && linear <= 19064) && !(linear >= 39076 && linear <= 39085);
  }
  return linear >= 189000 && linear <= 1237575;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t Load64(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// One bit per byte of a 64-byte block.
struct BlockMasks {
  std::uint64_t high;  // 0x80 and above
  std::uint64_t lf;
  std::uint64_t cr;
  std::uint64_t odd;  // 0x80 or 0xFF: needs a closer look
};

inline BlockMasks ClassifyBlock(const unsigned char* p) {
  BlockMasks m{0, 0, 0, 0};
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i x80 = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i xff = _mm_set1_epi8(static_cast<char>(0xFF));
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const int shift = 16 * k;
    auto bits = [](__m128i x) {
      return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(x)));
    };
    m.high |= bits(v) << shift;
    m.lf |= bits(_mm_cmpeq_epi8(v, lf)) << shift;
    m.cr |= bits(_mm_cmpeq_epi8(v, cr)) << shift;
    m.odd |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, x80), _mm_cmpeq_epi8(v, xff))) << shift;
  }
#else
  for (int k = 0; k < 64; ++k) {
    const std::uint64_t bit = std::uint64_t{1} << k;
    const unsigned char c = p[k];
    if (c >= 0x80) m.high |= bit;
    if (c == '\n') m.lf |= bit;
    if (c == '\r') m.cr |= bit;
    if (c == 0x80 || c == 0xFF) m.odd |= bit;
  }
#endif
  return m;
}

// Validates GB18030; returns the length of the valid prefix. Counts the LFs
// that lack a CR before them in *lone_lf.
//
// Blocks of 64 bytes are checked with bit masks: in text of ASCII and
// two-byte characters whose bytes are both 0x81..0xFE, every run of such
// bytes that starts at a character boundary has even length, and a byte
// after a non-ASCII run starts a new character. A run of odd length (its last
// lead byte has an ASCII trail byte or starts a four-byte character), a byte
// 0x80 or 0xFF, and invalid text send the block to the byte-by-byte parser.
// The odd-run detection is the carry trick known from simdjson's escape
// scanning, with the parity carried from block to block.
std::size_t ScanGb18030(std::string_view bytes, std::size_t* lone_lf) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;
  std::size_t lone = 0;
  std::size_t i = 0;
  std::uint64_t prev_lead = 0;  // the last block ended with a lead byte
  std::uint64_t prev_cr = 0;    // the byte before the block is CR
  while (i < n) {
    while (i + 64 <= n) {
      const BlockMasks m = ClassifyBlock(p + i);
      const std::uint64_t h = m.high;
      const std::uint64_t start_edges = h & ~(h << 1);
      const std::uint64_t even_start_mask = kEvenBits ^ prev_lead;
      const std::uint64_t even_starts = start_edges & even_start_mask;
      const std::uint64_t odd_starts = start_edges & ~even_start_mask;
      const std::uint64_t even_carries = h + even_starts;
      std::uint64_t odd_carries = h + odd_starts;
      const bool ends_with_lead = odd_carries < h;  // the addition overflowed
      odd_carries |= prev_lead;
      // Bits just after runs of odd length: ASCII bytes taken as trail bytes.
      const std::uint64_t odd_ends =
          ((even_carries & ~h) & ~kEvenBits) | ((odd_carries & ~h) & kEvenBits);
      if ((odd_ends | m.odd) != 0) break;
      const std::uint64_t lone_lfs = m.lf & ~((m.cr << 1) | prev_cr);
      if (lone_lfs != 0) lone += static_cast<std::size_t>(std::popcount(lone_lfs));
      prev_lead = ends_with_lead ? 1 : 0;
      prev_cr = m.cr >> 63;
      i += 64;
    }
    // Byte by byte from the character boundary through at least one block.
    i -= static_cast<std::size_t>(prev_lead);
    const std::size_t stop = std::min(n, i + 64);
    while (i < stop) {
      const unsigned char c = p[i];
      if (c < 0x80) {
        if (c == '\n' && (i == 0 || p[i - 1] != '\r')) ++lone;
        ++i;
        continue;
      }
      if (c == 0x80 || c == 0xFF || i + 1 >= n) break;
      const unsigned char t = p[i + 1];
      if ((t >= 0x40 && t <= 0xFE && t != 0x7F)) {
        i += 2;
        continue;
      }
      if (t >= 0x30 && t <= 0x39 && i + 3 < n && ValidFourByte(p + i)) {
        i += 4;
        continue;
      }
      break;
    }
    if (i < stop) break;  // invalid sequence at i
    prev_lead = 0;
    prev_cr = i > 0 && p[i - 1] == '\r' ? 1 : 0;
  }
  if (lone_lf) *lone_lf = lone;
  return i;
}

std::size_t CountLines(std::string_view bytes, std::size_t end, Encoding encoding) {
  std::size_t line = 1;
  if (encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be) {
    const std::size_t low = encoding == Encoding::kUtf16Le ? 0 : 1;
    for (std::size_t i = 0; i + 1 < end && i + 1 < bytes.size(); i += 2) {
      if (bytes[i + low] == '\n' && bytes[i + 1 - low] == 0) ++line;
    }
    return line;
  }
  return line + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + end, '\n'));
}

// Appends `chunk` to `out`, turning every LF without a CR before it (in
// `out` so far or in the chunk) into CR LF.
void AppendNormalised(std::string& out, std::string_view chunk) {
  std::size_t start = 0;
  while (start < chunk.size()) {
    const void* hit = std::memchr(chunk.data() + start, '\n', chunk.size() - start);
    if (!hit) break;
    const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(hit) - chunk.data());
    const bool has_cr = lf > 0 ? chunk[lf - 1] == '\r' : (!out.empty() && out.back() == '\r');
    if (!has_cr) {
      out.append(chunk.data() + start, lf - start);
      out.append("\r\n", 2);
      start = lf + 1;
    } else {
      out.append(chunk.data() + start, lf + 1 - start);
      start = lf + 1;
    }
  }
  out.append(chunk.data() + start, chunk.size() - start);
}

// Decodes one character of `from` at the start of `bytes` into a code point,
// or returns 0 when it is not a valid character.
char32_t DecodeOne(std::string_view bytes, Encoding from) {
  Transcoder cd(Encoding::kUtf16Le, from);
  if (!cd.ok()) return 0;
  for (std::size_t len = 1; len <= std::min<std::size_t>(4, bytes.size()); ++len) {
    const char* in = bytes.data();
    std::size_t in_left = len;
    char buf[8];
    char* out = buf;
    std::size_t out_left = sizeof buf;
    if (cd.Convert(in, in_left, out, out_left) == TranscodeStatus::kOk && in_left == 0 &&
        out != buf) {
      const auto* u = reinterpret_cast<const unsigned char*>(buf);
      const char32_t first = static_cast<char32_t>(u[0] | (u[1] << 8));
      if (first >= 0xD800 && first <= 0xDBFF && out - buf >= 4) {
        const char32_t second = static_cast<char32_t>(u[2] | (u[3] << 8));
        return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
      }
      return first;
    }
    cd.Reset();  // before trying a longer sequence
  }
  return 0;
}

// Transcodes `bytes` from `from` into GB18030 with the line breaks
// normalised; the result goes into `storage`.
DecodeResult Transcode(std::string_view bytes, Encoding from, std::string& storage) {
  DecodeResult result;
  storage.clear();
  // No encoding grows more than twice into GB18030 (line breaks included).
  storage.reserve(bytes.size() * 2 + 16);
  AdviseLargeBuffer(storage.data(), storage.capacity());
  Transcoder cd(Encoding::kGb18030, from);
  if (!cd.ok()) {
    result.error = {1, 0, 0};
    return result;
  }
  std::string buffer(std::min(kChunk, bytes.size() * 4 + 64), '\0');
  const char* in = bytes.data();
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const TranscodeStatus status = cd.Convert(in, in_left, out, out_left);
    AppendNormalised(storage, std::string_view(buffer.data(), buffer.size() - out_left));
    if (status == TranscodeStatus::kOk || status == TranscodeStatus::kOutputFull) continue;
    // kInvalid: invalid, or valid but without a GB18030 form; kIncomplete: cut short.
    const std::size_t offset = static_cast<std::size_t>(in - bytes.data());
    result.error.offset = offset;
    result.error.line = CountLines(bytes, offset, from);
    result.error.code_point =
        status == TranscodeStatus::kInvalid ? DecodeOne(bytes.substr(offset), from) : 0;
    storage.clear();
    return result;
  }
  result.ok = true;
  result.text = storage;
  return result;
}

}  // namespace

std::string_view EncodingName(Encoding encoding) { return NameOf(encoding); }

std::string_view ByteOrderMark(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "\xEF\xBB\xBF";
    case Encoding::kUtf16Le:
      return "\xFF\xFE";
    case Encoding::kUtf16Be:
      return "\xFE\xFF";
    default:
      return {};
  }
}

std::size_t BomLength(std::string_view bytes, Encoding encoding) {
  const std::string_view bom = ByteOrderMark(encoding);
  return !bom.empty() && bytes.starts_with(bom) ? bom.size() : 0;
}

DetectedEncoding DetectEncoding(std::string_view bytes) {
  for (Encoding e : {Encoding::kUtf8, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    if (BomLength(bytes, e) > 0) return {e, true};
  }
  return {IsValidUtf8(bytes) ? Encoding::kUtf8 : Encoding::kGb18030, false};
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    while (i + 8 <= n && (Load64(p + i) & kHighBits) == 0) i += 8;
    if (i >= n) break;
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    const int len = Utf8SequenceLength(p + i, n - i);
    if (len <= 0) return false;
    i += len;
  }
  return true;
}

std::size_t LineAt(std::string_view bytes, std::size_t offset, Encoding encoding) {
  return CountLines(bytes, std::min(offset, bytes.size()), encoding);
}

std::size_t PieceEnd(std::string_view bytes, std::size_t begin, std::size_t size,
                     Encoding encoding) {
  if (size >= bytes.size() - std::min(begin, bytes.size())) return bytes.size();
  std::size_t pos = begin + size;
  if (encoding != Encoding::kUtf16Le && encoding != Encoding::kUtf16Be) {
    const void* lf = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
    return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - bytes.data()) + 1
              : bytes.size();
  }
  // UTF-16: the code unit 0x000A, at an even distance from `begin`.
  const std::size_t low = encoding == Encoding::kUtf16Le ? 0 : 1;
  pos += (pos - begin) % 2;
  for (; pos + 1 < bytes.size(); pos += 2) {
    if (bytes[pos + low] == '\n' && bytes[pos + 1 - low] == 0) return pos + 2;
  }
  return bytes.size();
}

std::size_t ValidGb18030Prefix(std::string_view bytes) { return ScanGb18030(bytes, nullptr); }

DecodeResult DecodeToGb18030(std::string_view bytes, Encoding from, std::string& storage) {
  if (from != Encoding::kGb18030) return Transcode(bytes, from, storage);
  DecodeResult result;
  std::size_t lone_lf = 0;
  const std::size_t valid = ScanGb18030(bytes, &lone_lf);
  if (valid < bytes.size()) {
    result.error.offset = valid;
    result.error.line = CountLines(bytes, valid, from);
    return result;
  }
  result.ok = true;
  if (lone_lf == 0) {
    result.text = bytes;  // nothing to change: no copy
    return result;
  }
  storage.clear();
  storage.reserve(bytes.size() + lone_lf);
  AdviseLargeBuffer(storage.data(), storage.capacity());
  AppendNormalised(storage, bytes);
  result.text = storage;
  return result;
}

EncodeStatus EncodeFromGb18030(std::string_view text, Encoding to, const ByteSink& sink,
                               TextError* error) {
  if (to == Encoding::kGb18030) {
    return text.empty() || sink(text) ? EncodeStatus::kOk : EncodeStatus::kSinkFailed;
  }
  Transcoder cd(to, Encoding::kGb18030);
  if (!cd.ok()) {
    if (error) *error = {1, 0, 0};
    return EncodeStatus::kUnrepresentable;
  }
  // A GB18030 byte never becomes more than two bytes of output (UTF-8 and
  // UTF-16 alike), so half the buffer's worth of input always fits.
  std::string buffer(std::min(kChunk, text.size() * 4 + 64), '\0');
  const char* in = text.data();
  std::size_t in_left = text.size();
  while (in_left > 0) {
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    const TranscodeStatus status = cd.Convert(in, in_left, out, out_left);
    const std::size_t produced = buffer.size() - out_left;
    if (produced > 0 && !sink(std::string_view(buffer.data(), produced))) {
      return EncodeStatus::kSinkFailed;
    }
    if (status == TranscodeStatus::kOk || status == TranscodeStatus::kOutputFull) continue;
    if (error) {
      const std::size_t offset = static_cast<std::size_t>(in - text.data());
      error->offset = offset;
      error->line = CountLines(text, offset, Encoding::kGb18030);
      error->code_point = DecodeOne(text.substr(offset), Encoding::kGb18030);
    }
    return EncodeStatus::kUnrepresentable;
  }
  return EncodeStatus::kOk;
}

std::optional<TextError> FindUnrepresentable(std::string_view text, Encoding to) {
  // Every valid GB18030 character has a form in GB18030 and in the Unicode
  // encodings; only GBK can lack one.
  if (to != Encoding::kGbk) return std::nullopt;
  TextError error;
  const EncodeStatus status = EncodeFromGb18030(
      text, to, [](std::string_view) { return true; }, &error);
  if (status == EncodeStatus::kUnrepresentable) return error;
  return std::nullopt;
}

std::string FormatCodePoint(char32_t code_point) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(code_point));
  return buf;
}

}  // namespace marvoset
