// Windows backend of the transcoder; see transcoder.h.
//
// Every character goes through UTF-16: UTF-8 with the system's code page
// 65001 conversions (strict flags), UTF-16 by copying (swapping the bytes of
// big-endian), GBK with code page 936 and GB18030 with the codec (codec.h).
// The structure of the input is parsed here, one character at a time, so
// that a conversion stops at the byte where iconv stops; the system then
// converts runs of whole characters, and only a run that fails is converted
// again character by character to find the one at fault.
//
// GBK: code page 936 agrees with glibc's GBK on every code that glibc maps
// (0x80 is the euro sign in both), and maps more: the user-defined areas
// AAA1..AFFE, F8A1..FEFE and A140..A7A0 to private-use code points
// U+E000..U+E864, and U+F8F5 to the single byte 0xFF. Those are refused here
// both ways, so that a file converts alike on Linux and Windows.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "convert/codec.h"
#include "convert/transcoder.h"
#include "convert/utf8_sequence.h"

namespace marvoset {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

constexpr std::size_t kRun = 64 << 10;  // input bytes converted per system call
constexpr UINT kGbkCodePage = 936;
// GB18030 of U+FFFD: what the codec writes for a character it cannot encode.
constexpr std::string_view kGb18030Replacement = "\x84\x31\xA4\x37";

enum class Parse { kChar, kInvalid, kIncomplete };

struct Step {
  Parse parse;
  std::size_t length;
};

bool IsGbTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// The character at the start of `p` (n > 0 bytes): its length, or why there
// is none. Decides the structure only; whether a well-formed character is
// mapped is left to the conversion.
Step NextChar(Encoding from, const unsigned char* p, std::size_t n) {
  const unsigned char c = p[0];
  switch (from) {
    case Encoding::kUtf8: {
      const int len = Utf8SequenceLength(p, n);
      if (len < 0) return {Parse::kIncomplete, 0};
      if (len == 0) return {Parse::kInvalid, 0};
      return {Parse::kChar, static_cast<std::size_t>(len)};
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      const bool le = from == Encoding::kUtf16Le;
      auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(le ? p[i] | p[i + 1] << 8 : p[i] << 8 | p[i + 1]);
      };
      if (n < 2) return {Parse::kIncomplete, 0};
      const char16_t u = unit(0);
      if (u >= 0xDC00 && u <= 0xDFFF) return {Parse::kInvalid, 0};
      if (u < 0xD800 || u > 0xDBFF) return {Parse::kChar, 2};
      if (n < 4) return {Parse::kIncomplete, 0};
      const char16_t low = unit(2);
      if (low < 0xDC00 || low > 0xDFFF) return {Parse::kInvalid, 0};
      return {Parse::kChar, 4};
    }
    case Encoding::kGbk:
      if (c <= 0x80) return {Parse::kChar, 1};
      if (c == 0xFF) return {Parse::kInvalid, 0};
      if (n < 2) return {Parse::kIncomplete, 0};
      return IsGbTrail(p[1]) ? Step{Parse::kChar, 2} : Step{Parse::kInvalid, 0};
    case Encoding::kGb18030:
      if (c < 0x80) return {Parse::kChar, 1};
      if (c == 0x80 || c == 0xFF) return {Parse::kInvalid, 0};
      if (n < 2) return {Parse::kIncomplete, 0};
      if (IsGbTrail(p[1])) return {Parse::kChar, 2};
      if (p[1] < 0x30 || p[1] > 0x39) return {Parse::kInvalid, 0};
      if (n < 3) return {Parse::kIncomplete, 0};
      if (p[2] < 0x81 || p[2] > 0xFE) return {Parse::kInvalid, 0};
      if (n < 4) return {Parse::kIncomplete, 0};
      if (p[3] < 0x30 || p[3] > 0x39) return {Parse::kInvalid, 0};
      return {Parse::kChar, 4};
  }
  return {Parse::kInvalid, 0};
}

bool IsPrivateUse(char16_t u) { return u >= 0xE000 && u <= 0xF8FF; }

// Decodes whole characters into UTF-16; false when one of them has no
// character in `from`.
bool Decode(Encoding from, const char* p, std::size_t n, std::u16string& units) {
  units.clear();
  switch (from) {
    case Encoding::kUtf8:
    case Encoding::kGbk: {
      const UINT code_page = from == Encoding::kUtf8 ? CP_UTF8 : kGbkCodePage;
      units.resize(n);  // never more units than bytes
      const int got = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, p, static_cast<int>(n),
                                          reinterpret_cast<wchar_t*>(units.data()),
                                          static_cast<int>(units.size()));
      if (got <= 0) return false;
      units.resize(static_cast<std::size_t>(got));
      return from != Encoding::kGbk || std::none_of(units.begin(), units.end(), IsPrivateUse);
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      const bool le = from == Encoding::kUtf16Le;
      const auto* b = reinterpret_cast<const unsigned char*>(p);
      units.resize(n / 2);
      for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] =
            static_cast<char16_t>(le ? b[2 * i] | b[2 * i + 1] << 8 : b[2 * i] << 8 | b[2 * i + 1]);
      }
      return true;
    }
    case Encoding::kGb18030: {
      units = Gb18030ToUtf16(std::string_view(p, n));
      // The codec stands in for a byte it cannot decode with a lone low
      // surrogate U+DC80..U+DCFF; a decoded character never gives one.
      for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        const bool after_high = i > 0 && units[i - 1] >= 0xD800 && units[i - 1] <= 0xDBFF;
        if (u >= kEscapedByteBase + 0x80 && u <= kEscapedByteBase + 0xFF && !after_high) {
          return false;
        }
      }
      return true;
    }
  }
  return false;
}

// Encodes whole characters of UTF-16 into `to`; false when one of them has
// no form in it.
bool Encode(Encoding to, const std::u16string& units, std::string& bytes) {
  bytes.clear();
  if (units.empty()) return true;
  const auto* w = reinterpret_cast<const wchar_t*>(units.data());
  const int count = static_cast<int>(units.size());
  switch (to) {
    case Encoding::kUtf8: {
      bytes.resize(units.size() * 3);
      const int got = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, w, count, bytes.data(),
                                          static_cast<int>(bytes.size()), nullptr, nullptr);
      if (got <= 0) return false;
      bytes.resize(static_cast<std::size_t>(got));
      return true;
    }
    case Encoding::kGbk: {
      if (std::any_of(units.begin(), units.end(), IsPrivateUse)) return false;
      bytes.resize(units.size() * 2);
      BOOL used_default = FALSE;
      const int got =
          WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, w, count, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, &used_default);
      if (got <= 0 || used_default) return false;
      bytes.resize(static_cast<std::size_t>(got));
      return true;
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      const bool le = to == Encoding::kUtf16Le;
      bytes.resize(units.size() * 2);
      for (std::size_t i = 0; i < units.size(); ++i) {
        const char lo = static_cast<char>(units[i] & 0xFF), hi = static_cast<char>(units[i] >> 8);
        bytes[2 * i] = le ? lo : hi;
        bytes[2 * i + 1] = le ? hi : lo;
      }
      return true;
    }
    case Encoding::kGb18030:
      bytes = Utf16ToGb18030(units);
      // The codec writes U+FFFD for what GB18030 lacks. Only a lone U+FFFD
      // tells that apart; a run holding the replacement is retried one
      // character at a time.
      return bytes.find(kGb18030Replacement) == std::string::npos ||
             (units.size() == 1 && units[0] == 0xFFFD);
  }
  return false;
}

}  // namespace

struct Transcoder::State {
  Encoding to;
  Encoding from;
  std::u16string units;
  std::string bytes;

  bool ConvertRun(const char* p, std::size_t n) {
    return Decode(from, p, n, units) && Encode(to, units, bytes);
  }
};

Transcoder::Transcoder(Encoding to, Encoding from)
    : state_(std::make_unique<State>(State{to, from, {}, {}})) {}

Transcoder::~Transcoder() = default;

bool Transcoder::ok() const { return true; }

TranscodeStatus Transcoder::Convert(const char*& in, std::size_t& in_left, char*& out,
                                    std::size_t& out_left) {
  State& s = *state_;
  const auto* p = reinterpret_cast<const unsigned char*>(in);
  const std::size_t n = in_left;
  std::size_t pos = 0;
  std::size_t careful_until = 0;  // end of a run that failed
  TranscodeStatus status = TranscodeStatus::kOk;
  auto emit = [&] {
    std::memcpy(out, s.bytes.data(), s.bytes.size());
    out += s.bytes.size();
    out_left -= s.bytes.size();
  };
  while (pos < n) {
    if (pos >= careful_until) {
      // Whole characters whose output surely fits: no character grows more
      // than twice in any of the encodings.
      const std::size_t budget = std::min(kRun, out_left / 2);
      std::size_t end = pos;
      while (end < n) {
        const Step step = NextChar(s.from, p + end, n - end);
        if (step.parse != Parse::kChar || end + step.length - pos > budget) break;
        end += step.length;
      }
      if (end > pos) {
        if (s.ConvertRun(in + pos, end - pos)) {
          emit();
          pos = end;
          continue;
        }
        careful_until = end;
      }
    }
    // One character: the run failed, or the next character does not fit
    // the budget or is not a whole character.
    const Step step = NextChar(s.from, p + pos, n - pos);
    if (step.parse == Parse::kInvalid) {
      status = TranscodeStatus::kInvalid;
      break;
    }
    if (step.parse == Parse::kIncomplete) {
      status = TranscodeStatus::kIncomplete;
      break;
    }
    if (!s.ConvertRun(in + pos, step.length)) {
      status = TranscodeStatus::kInvalid;
      break;
    }
    if (s.bytes.size() > out_left) {
      status = TranscodeStatus::kOutputFull;
      break;
    }
    emit();
    pos += step.length;
  }
  in += pos;
  in_left -= pos;
  return status;
}

void Transcoder::Reset() {}  // no encoding here keeps a shift state

}  // namespace marvoset
