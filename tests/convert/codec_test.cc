#include "convert/codec.h"

#include <gtest/gtest.h>

#include <random>

namespace marvoset {
namespace {

struct CodecCase {
  const char* name;
  std::u16string text;
  std::string bytes;
};

class CodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecTest, BothDirections) {
  const CodecCase& c = GetParam();
  EXPECT_EQ(Utf16ToGb18030(c.text), c.bytes);
  EXPECT_EQ(Gb18030ToUtf16(c.bytes), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodecTest,
    ::testing::Values(CodecCase{"Empty", u"", ""},
                      CodecCase{"Ascii", u"dz,1=abc\r\n", "dz,1=abc\r\n"},
                      CodecCase{"Gbk", u"中文", "\xD6\xD0\xCE\xC4"},
                      CodecCase{"Arrow", u"\u2193", "\xA1\xFD"},
                      CodecCase{"IdeographicSpace", u"\u3000", "\xA1\xA1"},
                      CodecCase{"NoBreakSpaceOutsideGbk", u"\u00A0", "\x81\x30\x84\x32"},
                      CodecCase{"Emoji", u"\U0001F600", "\x94\x39\xFC\x36"},
                      CodecCase{"RareHanzi", u"\U00020000", "\x95\x32\x82\x36"},
                      CodecCase{"Nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidCase {
  const char* name;
  std::string bytes;
  std::u16string units;
};

class InvalidBytesTest : public ::testing::TestWithParam<InvalidCase> {};

// Undecodable bytes become escape surrogates, never swallow what follows,
// and encode back to themselves.
TEST_P(InvalidBytesTest, EscapeAndRoundTrip) {
  const InvalidCase& c = GetParam();
  EXPECT_EQ(Gb18030ToUtf16(c.bytes), c.units);
  EXPECT_EQ(Utf16ToGb18030(c.units), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Table, InvalidBytesTest,
                         ::testing::Values(InvalidCase{"LoneLeadAtEnd", "a\x81", u"a\xDC81"},
                                           InvalidCase{"LeadBeforeLineBreak", "\x81\r\nb",
                                                       u"\xDC81\r\nb"},
                                           InvalidCase{"LeadBeforeComma", "\xD6,1=", u"\xDCD6,1="},
                                           InvalidCase{"Byte80", "\x80", u"\xDC80"},
                                           InvalidCase{"ByteFF",
                                                       "\xFF"
                                                       "a",
                                                       u"\xDCFF"
                                                       "a"},
                                           InvalidCase{"TruncatedFourByte", "\x81\x30\x81",
                                                       u"\xDC81"
                                                       "0\xDC81"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodecTest, LoneSurrogateThatIsNoEscapeBecomesReplacement) {
  EXPECT_EQ(Utf16ToGb18030(u"a\xD800"
                           "b"),
            "a\x84\x31\xA4\x37"
            "b");
  EXPECT_EQ(Utf16ToGb18030(u"\xDE00"), "\x84\x31\xA4\x37");
  EXPECT_EQ(Utf16ToGb18030(u"x\xD83D"), "x\x84\x31\xA4\x37");  // high surrogate at the end
}

// Found by fuzzing: an unmappable character right where the output buffer
// was full had its replacement written past the end and cut off.
TEST(CodecTest, ReplacementAtFullOutputBufferIsWhole) {
  // U+FFDA takes four bytes, so the output fills up faster than guessed;
  // U+E818 is not mapped. Try it at every fill level.
  for (int n = 0; n < 40; ++n) {
    const std::u16string text =
        std::u16string(static_cast<std::size_t>(n), u'\uFFDA') + u"\uE818" + u"\uFFDA1";
    std::u16string expected = text;
    expected[static_cast<std::size_t>(n)] = u'\uFFFD';
    EXPECT_EQ(Gb18030ToUtf16(Utf16ToGb18030(text)), expected) << n;
  }
}

// The backend converts long texts a window at a time; characters cut by a
// window's end, four-byte ones and escapes included, come through whole.
TEST(CodecTest, LongTextsAcrossConversionWindows) {
  for (std::size_t lead = 0; lead < 4; ++lead) {
    std::u16string text(lead, u'a');
    for (int i = 0; i < 60000; ++i) text += (i % 3 == 0) ? u"😀" : (i % 3 == 1 ? u"中" : u"\xDCFF");
    const std::string bytes = Utf16ToGb18030(text);
    EXPECT_EQ(Gb18030ToUtf16(bytes), text) << lead;
    EXPECT_EQ(Utf16ToGb18030(Gb18030ToUtf16(bytes)), bytes) << lead;
  }
}

TEST(CodecTest, AnyBytesRoundTrip) {
  std::mt19937 rng(20261211);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 64);
  for (int i = 0; i < 3000; ++i) {
    std::string bytes(static_cast<std::size_t>(length(rng)), '\0');
    for (char& b : bytes) b = static_cast<char>(byte(rng));
    ASSERT_EQ(Utf16ToGb18030(Gb18030ToUtf16(bytes)), bytes) << "case " << i;
  }
}

// Every character round-trips, except the few private-use code points that
// GB18030-2022 no longer maps; those become U+FFFD rather than vanish.
TEST(CodecTest, EveryCharacterRoundTripsOrIsReplaced) {
  std::u16string all;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    all += static_cast<char16_t>(c);
  }
  all += u"\U0001F600\U00020000\U0010FFFF";
  const std::u16string back = Gb18030ToUtf16(Utf16ToGb18030(all));
  ASSERT_EQ(back.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (back[i] == all[i]) continue;
    EXPECT_EQ(back[i], u'\uFFFD');
    EXPECT_TRUE(all[i] >= 0xE000 && all[i] <= 0xF8FF) << std::hex << int{all[i]};
  }
}

}  // namespace
}  // namespace marvoset
