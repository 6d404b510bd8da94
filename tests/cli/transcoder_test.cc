// Unit tests of the transcoder (convert/transcoder.h): the stopping points
// and statuses that the encoding layer relies on, with the same expectations
// for every backend, so that Linux (iconv) and Windows (code pages) convert
// files alike.
#include "convert/transcoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marvoset {
namespace {

struct Case {
  const char* name;
  Encoding from;
  Encoding to;
  std::string input;
  std::size_t out_size;  // room for the output
  TranscodeStatus status;
  std::size_t consumed;  // input bytes converted
  std::string output;
};

std::string U16(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

const std::vector<Case>& Cases() {
  using S = TranscodeStatus;
  constexpr Encoding kU8 = Encoding::kUtf8, kLe = Encoding::kUtf16Le, kBe = Encoding::kUtf16Be,
                     kGbk = Encoding::kGbk, kGb = Encoding::kGb18030;
  static const std::vector<Case> cases = {
      {"utf8 to gb18030", kU8, kGb, "a\xE5\x8C\x97\xF0\x9F\x98\x80", 64, S::kOk, 8,
       "a\xB1\xB1\x94\x39\xFC\x36"},
      {"utf8 stops at an overlong form", kU8, kGb, "ab\xC0\x80", 64, S::kInvalid, 2, "ab"},
      {"utf8 stops at a surrogate", kU8, kLe, "a\xED\xA0\x80", 64, S::kInvalid, 1, U16(u"a")},
      {"utf8 cut off at the end", kU8, kGb, "a\xE5\x8C", 64, S::kIncomplete, 1, "a"},
      {"utf8 output full before a character", kU8, kGb, "\xE5\x8C\x97\xE4\xBA\xAC", 3,
       S::kOutputFull, 3, "\xB1\xB1"},
      {"utf8 no room at all", kU8, kLe, "ab", 1, S::kOutputFull, 0, ""},
      {"utf8 private use without gb18030 form", kU8, kGb, "x\xEE\x9E\x8D", 64, S::kInvalid, 1, "x"},
      {"utf16le pair", kLe, kU8, U16(u"a\U0001F600"), 64, S::kOk, 6, "a\xF0\x9F\x98\x80"},
      {"utf16le lone low surrogate", kLe, kGb, U16(u"a") + std::string("\x00\xDC", 2), 64,
       S::kInvalid, 2, "a"},
      {"utf16le odd byte", kLe, kU8, U16(u"ab") + "c", 64, S::kIncomplete, 4, "ab"},
      {"utf16le high surrogate at the end", kLe, kU8, U16(u"a") + "\x3D\xD8", 64, S::kIncomplete, 2,
       "a"},
      {"utf16be", kBe, kGb,
       std::string("\x00"
                   "a"
                   "\x53\x17",
                   4),
       64, S::kOk, 4, "a\xB1\xB1"},
      {"gb18030 four-byte and replacement character", kGb, kU8, "\x81\x30\x81\x30\x84\x31\xA4\x37",
       64, S::kOk, 8, "\xC2\x80\xEF\xBF\xBD"},
      {"gb18030 unmapped four-byte", kGb, kLe, "a\x84\x31\xA5\x30", 64, S::kInvalid, 1, U16(u"a")},
      {"gb18030 0x80", kGb, kLe, "a\x80", 64, S::kInvalid, 1, U16(u"a")},
      {"gb18030 cut-off four-byte", kGb, kLe, "a\x81\x30\x81", 64, S::kIncomplete, 1, U16(u"a")},
      {"gb18030 to gbk euro sign", kGb, kGbk, "\xA2\xE3", 64, S::kOk, 2, "\x80"},
      {"gb18030 to gbk outside gbk", kGb, kGbk, "a\x95\x32\x82\x36", 64, S::kInvalid, 1, "a"},
      {"gb18030 to gbk user-defined area", kGb, kGbk, "a\xAA\xA1", 64, S::kInvalid, 1, "a"},
      {"gbk 0x80 is the euro sign", kGbk, kLe, "\x80", 64, S::kOk, 1, U16(u"\u20AC")},
      {"gbk two-byte", kGbk, kGb, "a\xB1\xB1", 64, S::kOk, 3, "a\xB1\xB1"},
      {"gbk user-defined area AAA1", kGbk, kLe, "a\xAA\xA1", 64, S::kInvalid, 1, U16(u"a")},
      {"gbk user-defined area F8A1", kGbk, kLe, "a\xF8\xA1", 64, S::kInvalid, 1, U16(u"a")},
      {"gbk user-defined area A140", kGbk, kLe, "a\xA1\x40", 64, S::kInvalid, 1, U16(u"a")},
      {"gbk 0xFF", kGbk, kLe, "a\xFF", 64, S::kInvalid, 1, U16(u"a")},
      {"gbk bad trail byte", kGbk, kLe, "a\x81\x30", 64, S::kInvalid, 1, U16(u"a")},
      {"utf16 private use to gbk", kLe, kGbk, U16(u"a\uE000"), 64, S::kInvalid, 2, "a"},
      {"utf16 U+F8F5 to gbk", kLe, kGbk, U16(u"a\uF8F5"), 64, S::kInvalid, 2, "a"},
      {"utf16 euro sign to gbk", kLe, kGbk, U16(u"\u20AC"), 64, S::kOk, 2, "\x80"},
  };
  return cases;
}

TEST(Transcoder, StopsWhereTheEncodingLayerExpects) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Transcoder cd(c.to, c.from);
    ASSERT_TRUE(cd.ok());
    const char* in = c.input.data();
    std::size_t in_left = c.input.size();
    std::string buffer(c.out_size, '\0');
    char* out = buffer.data();
    std::size_t out_left = buffer.size();
    EXPECT_EQ(cd.Convert(in, in_left, out, out_left), c.status);
    EXPECT_EQ(static_cast<std::size_t>(in - c.input.data()), c.consumed);
    EXPECT_EQ(in_left, c.input.size() - c.consumed);
    EXPECT_EQ(buffer.substr(0, buffer.size() - out_left), c.output);
    EXPECT_EQ(out, buffer.data() + (buffer.size() - out_left));
  }
}

// A conversion cut short by a full buffer carries on where it stopped.
TEST(Transcoder, ResumesAfterAFullBuffer) {
  std::string input;
  for (int i = 0; i < 5000; ++i) input += "ab,1=\xE5\x8C\x97\xE4\xBA\xAC\xF0\x9F\x98\x80\r\n";
  for (Encoding to : {Encoding::kGb18030, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    Transcoder whole(to, Encoding::kUtf8);
    const char* in = input.data();
    std::size_t in_left = input.size();
    std::string expected(input.size() * 2, '\0');
    char* out = expected.data();
    std::size_t out_left = expected.size();
    ASSERT_EQ(whole.Convert(in, in_left, out, out_left), TranscodeStatus::kOk);
    expected.resize(expected.size() - out_left);

    Transcoder pieces(to, Encoding::kUtf8);
    in = input.data();
    in_left = input.size();
    std::string got;
    for (int round = 0; in_left > 0; ++round) {
      ASSERT_LT(round, 1000000);
      char buf[7];
      out = buf;
      out_left = sizeof buf;
      const TranscodeStatus s = pieces.Convert(in, in_left, out, out_left);
      ASSERT_TRUE(s == TranscodeStatus::kOk || s == TranscodeStatus::kOutputFull);
      got.append(buf, sizeof buf - out_left);
    }
    EXPECT_EQ(got, expected);
  }
}

}  // namespace
}  // namespace marvoset
