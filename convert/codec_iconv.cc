// iconv backend of the GB18030 <-> UTF-16 codec; see codec.h.
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "convert/codec.h"

namespace marvoset {
namespace {

constexpr const char* kUtf16Native =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
// GB18030 of U+FFFD, written for a unit that GB18030 cannot represent.
constexpr char kReplacementGb18030[] = "\x84\x31\xA4\x37";

// One conversion descriptor per thread and direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter decoder(kUtf16Native, "GB18030");
  return decoder;
}

Converter& Encoder() {
  thread_local Converter encoder("GB18030", kUtf16Native);
  return encoder;
}

// iconv is handed at most this many input bytes per call. A refused
// character costs a call, and the sanitizers' iconv interceptor checks the
// whole input on each, which made long texts with many refused characters
// quadratic there.
constexpr std::size_t kWindow = 64 * 1024;

// One iconv call over the next window of the input. Returns 0 when the
// window converted whole (also when it only ended inside a character, which
// the next call completes), or the errno that stopped it.
int ConvertWindow(Converter& conv, char*& in, std::size_t& in_left, char*& dst,
                  std::size_t& dst_left) {
  if (!conv.ok()) return EILSEQ;
  const std::size_t window = std::min(in_left, kWindow);
  std::size_t window_left = window;
  const std::size_t rc = iconv(conv.get(), &in, &window_left, &dst, &dst_left);
  const int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
  const bool cut = window < in_left;
  in_left -= window - window_left;
  return err == EINVAL && cut ? 0 : err;
}

}  // namespace

std::u16string Gb18030ToUtf16(std::string_view bytes) {
  std::u16string out;
  if (bytes.empty()) return out;
  // Every byte yields at most one UTF-16 unit (a four-byte character at most two).
  out.resize(bytes.size());
  Converter& conv = Decoder();
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* dst = reinterpret_cast<char*>(out.data());
  std::size_t dst_left = out.size() * sizeof(char16_t);

  while (in_left > 0) {
    const int err = ConvertWindow(conv, in, in_left, dst, dst_left);
    if (err == 0) continue;
    if (err == E2BIG) break;  // cannot happen: the buffer is big enough
    // Invalid or truncated sequence (or no converter): escape the first byte
    // and go on with the next one.
    const auto byte = static_cast<unsigned char>(*in);
    const char16_t unit = byte < 0x80 ? byte : static_cast<char16_t>(kEscapedByteBase + byte);
    std::memcpy(dst, &unit, sizeof unit);
    dst += sizeof unit;
    dst_left -= sizeof unit;
    ++in;
    --in_left;
    if (conv.ok()) conv.Reset();
  }
  out.resize(out.size() - dst_left / sizeof(char16_t));
  return out;
}

std::string Utf16ToGb18030(std::u16string_view units) {
  std::string out;
  if (units.empty()) return out;
  Converter& conv = Encoder();
  out.resize(units.size() * 2 + 16);
  char* in = const_cast<char*>(reinterpret_cast<const char*>(units.data()));
  std::size_t in_left = units.size() * sizeof(char16_t);
  std::size_t used = 0;

  while (in_left > 0) {
    if (out.size() - used < 8) out.resize(out.size() * 2);
    char* dst = out.data() + used;
    std::size_t dst_left = out.size() - used;
    const int err = ConvertWindow(conv, in, in_left, dst, dst_left);
    used = static_cast<std::size_t>(dst - out.data());
    if (err == 0) continue;
    if (err == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // A unit iconv refuses: a lone surrogate or an unmapped code point. An escape surrogate gives
    // its byte back; any other becomes U+FFFD.
    char16_t unit;
    std::memcpy(&unit, in, sizeof unit);
    in += sizeof unit;
    in_left -= sizeof unit;
    if (conv.ok()) conv.Reset();
    if (out.size() - used < 4) out.resize(out.size() * 2);
    if (unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF) {
      out[used++] = static_cast<char>(unit - kEscapedByteBase);
    } else if (unit < 0x80) {
      out[used++] = static_cast<char>(unit);  // only reached without a converter
    } else {
      std::memcpy(out.data() + used, kReplacementGb18030, 4);
      used += 4;
    }
  }
  out.resize(used);
  return out;
}

}  // namespace marvoset
