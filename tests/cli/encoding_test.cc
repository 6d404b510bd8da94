// Unit tests of the file-encoding layer (convert/encoding.h).
#include "convert/encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/transcoder.h"
#include "tests/cli/test_util.h"

namespace marvoset {
namespace {

using testing::Gb;
using testing::Utf16Bytes;
using testing::Utf8Bytes;

// Whether the backend decodes `bytes` as exactly one whole text.
bool BackendDecodes(Transcoder& cd, std::string_view bytes) {
  cd.Reset();
  const char* in = bytes.data();
  std::size_t in_left = bytes.size();
  char buf[64];
  char* out = buf;
  std::size_t out_left = sizeof buf;
  return cd.Convert(in, in_left, out, out_left) == TranscodeStatus::kOk && in_left == 0;
}

// Reference: a byte-by-byte GB18030 parse with the backend deciding each
// character; returns the valid prefix length.
std::size_t ReferencePrefix(Transcoder& cd, std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    bool ok = false;
    for (std::size_t len : {1, 2, 4}) {
      if (i + len <= s.size() && BackendDecodes(cd, s.substr(i, len))) {
        i += len;
        ok = true;
        break;
      }
    }
    if (!ok) return i;
  }
  return i;
}

std::string ReferenceNormalise(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) out += '\r';
    out += s[i];
  }
  return out;
}

TEST(DetectEncoding, ByteOrderMarksDecide) {
  EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF"
                           "a")
                .encoding,
            Encoding::kUtf8);
  EXPECT_TRUE(DetectEncoding("\xEF\xBB\xBF"
                             "a")
                  .bom);
  EXPECT_EQ(DetectEncoding("\xFF\xFE"
                           "a\0")
                .encoding,
            Encoding::kUtf16Le);
  EXPECT_TRUE(DetectEncoding("\xFF\xFE").bom);
  EXPECT_EQ(DetectEncoding("\xFE\xFF\0a").encoding, Encoding::kUtf16Be);
  EXPECT_TRUE(DetectEncoding("\xFE\xFF").bom);
}

TEST(DetectEncoding, ValidUtf8IsUtf8ElseGb18030) {
  EXPECT_EQ(DetectEncoding("").encoding, Encoding::kUtf8);
  EXPECT_EQ(DetectEncoding("dz,1=abc\r\n").encoding, Encoding::kUtf8);
  EXPECT_FALSE(DetectEncoding("dz,1=abc\r\n").bom);
  EXPECT_EQ(DetectEncoding(Utf8Bytes(u"dz,1=北京市海淀区\r\n")).encoding, Encoding::kUtf8);
  EXPECT_EQ(DetectEncoding(Gb(u"dz,1=北京市海淀区\r\n")).encoding, Encoding::kGb18030);
  EXPECT_FALSE(DetectEncoding(Gb(u"dz,1=北京市海淀区\r\n")).bom);
}

TEST(IsValidUtf8, AgreesWithTheBackend) {
  Transcoder cd(Encoding::kUtf16Le, Encoding::kUtf8);
  ASSERT_TRUE(cd.ok());
  const std::vector<std::string> cases = {"",
                                          "abc",
                                          "\xC2\x80",
                                          "\xDF\xBF",
                                          "\xE0\xA0\x80",
                                          "\xEF\xBF\xBF",
                                          "\xF0\x90\x80\x80",
                                          "\xF4\x8F\xBF\xBF",
                                          "\xC0\x80",
                                          "\xC1\xBF",
                                          "\xE0\x80\x80",
                                          "\xED\xA0\x80",
                                          "\xED\xBF\xBF",
                                          "\xF0\x80\x80\x80",
                                          "\xF4\x90\x80\x80",
                                          "\xF5\x80\x80\x80",
                                          "\xFF",
                                          "\x80",
                                          "\xC2",
                                          "\xE4\xB8",
                                          "abc\xE4\xB8\xAD",
                                          "\xE4\xB8\xAD\xE4\xB8",
                                          "\xC2\x41"};
  for (const std::string& c : cases) {
    EXPECT_EQ(IsValidUtf8(c), BackendDecodes(cd, c)) << ::testing::PrintToString(c);
  }
  // Every two-byte and three-byte lead with every second byte.
  for (int a = 0x80; a <= 0xFF; ++a) {
    for (int b = 0; b <= 0xFF; ++b) {
      std::string s{static_cast<char>(a), static_cast<char>(b), '\x80', '\x80'};
      for (std::size_t len = 2; len <= 4; ++len) {
        const std::string t = s.substr(0, len);
        EXPECT_EQ(IsValidUtf8(t), BackendDecodes(cd, t)) << ::testing::PrintToString(t);
      }
    }
  }
}

TEST(ValidGb18030Prefix, EverySequenceAgreesWithTheBackend) {
  Transcoder cd(Encoding::kUtf16Le, Encoding::kGb18030);
  ASSERT_TRUE(cd.ok());
  for (int a = 0; a <= 0xFF; ++a) {
    const std::string one(1, static_cast<char>(a));
    ASSERT_EQ(ValidGb18030Prefix(one) == 1, BackendDecodes(cd, one)) << a;
    for (int b = 0; b <= 0xFF && a >= 0x80; ++b) {
      const std::string two{static_cast<char>(a), static_cast<char>(b)};
      ASSERT_EQ(ValidGb18030Prefix(two) == 2, BackendDecodes(cd, two)) << a << " " << b;
    }
  }
  int valid_four = 0;
  for (int a = 0x81; a <= 0xFE; ++a) {
    for (int b = 0x30; b <= 0x39; ++b) {
      for (int c = 0x81; c <= 0xFE; ++c) {
        for (int d = 0x30; d <= 0x39; ++d) {
          const std::string four{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                                 static_cast<char>(d)};
          const bool ours = ValidGb18030Prefix(four) == 4;
          ASSERT_EQ(ours, BackendDecodes(cd, four)) << a << " " << b << " " << c << " " << d;
          valid_four += ours;
        }
      }
    }
  }
  EXPECT_GT(valid_four, 1000000);
}

// The block scanner against a byte-by-byte reference, on long texts of
// mostly valid characters with the odd invalid byte, at every alignment.
TEST(ValidGb18030Prefix, LongTextsAgreeWithTheReference) {
  Transcoder cd(Encoding::kUtf16Le, Encoding::kGb18030);
  ASSERT_TRUE(cd.ok());
  std::mt19937 rng(42);
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    const std::size_t target = rng() % 700;
    while (s.size() < target) {
      const unsigned r = rng() % 100;
      if (r < 55) {
        s += static_cast<char>(0x81 + rng() % 0x7E);
        s += static_cast<char>(0x80 + rng() % 0x7F);
      } else if (r < 60) {
        s += static_cast<char>(0x81 + rng() % 0x7E);
        s += static_cast<char>(0x40 + rng() % 0x3F);
      } else if (r < 62) {
        s += "\x95\x32\x82\x36";  // U+20000
      } else if (r < 70) {
        s += "\r\n";
      } else if (r < 73) {
        s += "\n";
      } else if (r < 74) {
        s += "\r";
      } else {
        s += static_cast<char>(0x20 + rng() % 0x5F);
      }
    }
    if (round % 2 == 1 && !s.empty()) {
      const char bad[] = {'\x80', '\xFF', '\x81', '\x7F', '\x30'};
      s[rng() % s.size()] = bad[rng() % sizeof bad];
    }
    const std::size_t expected = ReferencePrefix(cd, s);
    ASSERT_EQ(ValidGb18030Prefix(s), expected) << ::testing::PrintToString(s);
    std::string storage;
    const DecodeResult r = DecodeToGb18030(s, Encoding::kGb18030, storage);
    ASSERT_EQ(r.ok, expected == s.size());
    if (r.ok) {
      ASSERT_EQ(r.text, ReferenceNormalise(s));
    } else {
      ASSERT_EQ(r.error.offset, expected);
    }
  }
}

TEST(DecodeToGb18030, Gb18030WithCrLfIsNotCopied) {
  const std::string input = Gb(u"dz,1=北京市海淀区\r\nab,2=𠀀\r\n");
  std::string storage;
  const DecodeResult r = DecodeToGb18030(input, Encoding::kGb18030, storage);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text.data(), input.data());
  EXPECT_EQ(r.text.size(), input.size());
}

TEST(DecodeToGb18030, LineFeedsBecomeCrLf) {
  std::string storage;
  const std::string input = Gb(u"\na,1=甲\nb,2=乙\r\nc,3=丙\rd\n");
  const DecodeResult r = DecodeToGb18030(input, Encoding::kGb18030, storage);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, Gb(u"\r\na,1=甲\r\nb,2=乙\r\nc,3=丙\rd\r\n"));  // a lone CR stays
}

TEST(DecodeToGb18030, InvalidGb18030GivesLineAndOffset) {
  std::string storage;
  DecodeResult r = DecodeToGb18030(
      "ab\r\ncd\xFF"
      "ef",
      Encoding::kGb18030, storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 2u);
  EXPECT_EQ(r.error.offset, 6u);
  EXPECT_EQ(r.error.code_point, 0u);

  r = DecodeToGb18030("a\nb\nc\xB1", Encoding::kGb18030, storage);  // cut-off character
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 3u);
  EXPECT_EQ(r.error.offset, 5u);

  r = DecodeToGb18030("\x81\x30\x81", Encoding::kGb18030, storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.offset, 0u);
}

TEST(DecodeToGb18030, Utf8) {
  std::string storage;
  DecodeResult r = DecodeToGb18030(Utf8Bytes(u"dz,1=北京\na,2=😀\r\n"), Encoding::kUtf8, storage);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, Gb(u"dz,1=北京\r\na,2=😀\r\n"));

  const std::string bad = Utf8Bytes(u"a,1=北\r\nb,2=京\n") + "c,3=\xE4\xB8";
  r = DecodeToGb18030(bad, Encoding::kUtf8, storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 3u);
  EXPECT_EQ(r.error.offset, bad.size() - 2);

  r = DecodeToGb18030("x\xC0\x80", Encoding::kUtf8, storage);  // overlong
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.offset, 1u);
}

TEST(DecodeToGb18030, CharacterWithoutGb18030FormIsReported) {
  std::string storage;
  // U+E78D is one of the private-use code points the backend's GB18030 lacks.
  const DecodeResult r =
      DecodeToGb18030(Utf8Bytes(u"a,1=x\r\nb,2=\uE78D\r\n"), Encoding::kUtf8, storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 2u);
  EXPECT_EQ(r.error.offset, 11u);
  EXPECT_EQ(r.error.code_point, 0xE78Du);
}

TEST(DecodeToGb18030, Utf16BothOrdersWithSurrogatePairs) {
  const std::u16string text = u"dz,1=北京\na,2=😀𠀀\r\n";
  for (bool le : {true, false}) {
    std::string storage;
    const DecodeResult r = DecodeToGb18030(Utf16Bytes(text, le),
                                           le ? Encoding::kUtf16Le : Encoding::kUtf16Be, storage);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.text, Gb(u"dz,1=北京\r\na,2=😀𠀀\r\n"));
  }
}

TEST(DecodeToGb18030, Utf16Errors) {
  std::string storage;
  // A lone high surrogate on line 2.
  const std::u16string lone = std::u16string(u"a\nb") + char16_t{0xD83D} + u"x";
  DecodeResult r = DecodeToGb18030(Utf16Bytes(lone, true), Encoding::kUtf16Le, storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 2u);
  EXPECT_EQ(r.error.offset, 6u);
  // An odd number of bytes.
  r = DecodeToGb18030(Utf16Bytes(u"a\nb", false) + std::string(1, '\0'), Encoding::kUtf16Be,
                      storage);
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 2u);
  EXPECT_EQ(r.error.offset, 6u);
}

TEST(DecodeToGb18030, CrLfSplitAcrossTranscodingChunks) {
  // ASCII transcodes byte for byte, so CR lands at the last byte of the
  // first 1 MiB chunk and LF at the first byte of the next.
  std::string text(1 << 20, 'a');
  text[(1 << 20) - 1] = '\r';
  text += "\nb\n";
  std::string storage;
  const DecodeResult r = DecodeToGb18030(text, Encoding::kUtf8, storage);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text.size(), text.size() + 1);  // only the last LF gains a CR
  EXPECT_EQ(r.text.substr((1 << 20) - 2), "a\r\nb\r\n");
}

TEST(DecodeToGb18030, GbkAcceptsGbkOnly) {
  std::string storage;
  DecodeResult r = DecodeToGb18030(Gb(u"dz,1=北京\n"), Encoding::kGbk, storage);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.text, Gb(u"dz,1=北京\r\n"));
  r = DecodeToGb18030(Gb(u"a\nb,1=𠀀"), Encoding::kGbk, storage);  // four-byte GB18030
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 2u);
  EXPECT_EQ(r.error.offset, 6u);
}

TEST(DecodeToGb18030, EveryGbkCharacterSurvivesTheRoundTrip) {
  Transcoder cd(Encoding::kUtf16Le, Encoding::kGbk);
  ASSERT_TRUE(cd.ok());
  std::string gbk;
  for (int a = 0x81; a <= 0xFE; ++a) {
    for (int b = 0x40; b <= 0xFE; ++b) {
      const std::string two{static_cast<char>(a), static_cast<char>(b)};
      if (BackendDecodes(cd, two)) gbk += two;
    }
  }
  std::string storage;
  const DecodeResult r = DecodeToGb18030(gbk, Encoding::kGbk, storage);
  ASSERT_TRUE(r.ok);
  std::string back;
  ASSERT_EQ(EncodeFromGb18030(r.text, Encoding::kGbk,
                              [&](std::string_view b) {
                                back.append(b);
                                return true;
                              }),
            EncodeStatus::kOk);
  EXPECT_EQ(back, gbk);
}

std::string Encode(std::string_view text, Encoding to, EncodeStatus* status = nullptr,
                   TextError* error = nullptr) {
  std::string out;
  const EncodeStatus s = EncodeFromGb18030(
      text, to,
      [&](std::string_view b) {
        out.append(b);
        return true;
      },
      error);
  if (status) *status = s;
  return out;
}

TEST(EncodeFromGb18030, Gb18030PassesThroughUncopied) {
  const std::string text = Gb(u"a=1,北京\r\n");
  const char* seen = nullptr;
  EXPECT_EQ(EncodeFromGb18030(text, Encoding::kGb18030,
                              [&](std::string_view b) {
                                seen = b.data();
                                return true;
                              }),
            EncodeStatus::kOk);
  EXPECT_EQ(seen, text.data());
}

TEST(EncodeFromGb18030, UnicodeEncodings) {
  const std::u16string text = u"dz=1,北京😀𠀀\r\n";
  EXPECT_EQ(Encode(Gb(text), Encoding::kUtf8), Utf8Bytes(text));
  EXPECT_EQ(Encode(Gb(text), Encoding::kUtf16Le), Utf16Bytes(text, true));
  EXPECT_EQ(Encode(Gb(text), Encoding::kUtf16Be), Utf16Bytes(text, false));
}

TEST(EncodeFromGb18030, LargeTextsSpanManyChunks) {
  std::u16string text;
  for (int i = 0; i < 100000; ++i) text += u"ab,1=北京市海淀区😀\r\n";
  EXPECT_EQ(Encode(Gb(text), Encoding::kUtf16Le), Utf16Bytes(text, true));
  EXPECT_EQ(Encode(Gb(text), Encoding::kUtf8), Utf8Bytes(text));
}

TEST(EncodeFromGb18030, GbkRefusesWhatItLacks) {
  EncodeStatus status;
  TextError error;
  const std::string text = Gb(u"a=1,北京\r\nb=2,好\r\nc=3,x𠀀y😀\r\n");
  Encode(text, Encoding::kGbk, &status, &error);
  EXPECT_EQ(status, EncodeStatus::kUnrepresentable);
  EXPECT_EQ(error.code_point, 0x20000u);
  EXPECT_EQ(error.line, 3u);
  EXPECT_EQ(error.offset, text.find("x") + 1);

  const std::optional<TextError> found = FindUnrepresentable(text, Encoding::kGbk);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->code_point, 0x20000u);
  EXPECT_EQ(found->line, 3u);

  EXPECT_FALSE(FindUnrepresentable(Gb(u"a=1,北京\r\n"), Encoding::kGbk).has_value());
  EXPECT_FALSE(FindUnrepresentable(text, Encoding::kUtf8).has_value());
  EXPECT_EQ(FindUnrepresentable(Gb(u"😀"), Encoding::kGbk)->code_point, 0x1F600u);
}

TEST(EncodeFromGb18030, SinkFailureStops) {
  int calls = 0;
  EXPECT_EQ(EncodeFromGb18030(Gb(u"a=1,北京\r\n"), Encoding::kUtf8,
                              [&](std::string_view) { return ++calls > 5; }),
            EncodeStatus::kSinkFailed);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(EncodeFromGb18030("a", Encoding::kGb18030, [](std::string_view) { return false; }),
            EncodeStatus::kSinkFailed);
}

// Cut with PieceEnd, a text decodes piece by piece to what it decodes to
// whole, in every encoding, and an invalid sequence is found at the same
// offset and line. The text holds characters whose UTF-16 units have a 0x0A
// byte (U+4E0A 上, U+0A4E, U+0A0A), next to a 0x00 byte across two units
// (U+0A4E U+4E00 一 U+0A4E): no LF, in either byte order.
TEST(PieceEnd, PiecesDecodeToTheWhole) {
  const std::u16string text =
      u"ab,1=上上\r\ncd,2=\u0A4E\u0A0A\nef,3=😀北京\r\n\u4E0A\n\n上\r\n"
      u"gh,4=\u0A0A\u0A4E一\u0A4E 上 😀\r\nij,5=end";
  struct Form {
    Encoding encoding;
    std::string bytes;
    std::string invalid;  // a sequence invalid in it
  };
  const Form forms[] = {
      {Encoding::kGb18030, Gb(text), "\xFF"},
      {Encoding::kUtf8, Utf8Bytes(text), "\xC0\xAF"},
      {Encoding::kUtf16Le, Utf16Bytes(text, true), std::string("\x00\xD8", 2)},
      {Encoding::kUtf16Be, Utf16Bytes(text, false), std::string("\xD8\x00", 2)},
  };
  for (const Form& form : forms) {
    SCOPED_TRACE(std::string(EncodingName(form.encoding)));
    std::string storage;
    const DecodeResult whole = DecodeToGb18030(form.bytes, form.encoding, storage);
    ASSERT_TRUE(whole.ok);
    const std::string expected(whole.text);
    // The invalid sequence goes in before the 上 of the fourth line.
    const std::size_t unit =
        form.encoding == Encoding::kUtf16Le || form.encoding == Encoding::kUtf16Be ? 2 : 1;
    std::string broken = form.bytes;
    const std::size_t bad_at = form.bytes.size() / 2 / unit * unit;
    broken.insert(bad_at, form.invalid);
    std::string whole_storage;
    const DecodeResult whole_error = DecodeToGb18030(broken, form.encoding, whole_storage);
    ASSERT_FALSE(whole_error.ok);

    for (std::size_t size : {0, 1, 2, 3, 7, 40}) {
      SCOPED_TRACE(size);
      std::string joined;
      for (std::size_t begin = 0; begin < form.bytes.size();) {
        const std::size_t end = PieceEnd(form.bytes, begin, size, form.encoding);
        ASSERT_GT(end, begin);
        const DecodeResult piece = DecodeToGb18030(
            std::string_view(form.bytes).substr(begin, end - begin), form.encoding, storage);
        ASSERT_TRUE(piece.ok);
        joined += piece.text;
        if (end < form.bytes.size()) {
          ASSERT_TRUE(joined.ends_with("\r\n"));
        }
        begin = end;
      }
      EXPECT_EQ(joined, expected);

      bool found = false;
      for (std::size_t begin = 0; begin < broken.size() && !found;) {
        const std::size_t end = PieceEnd(broken, begin, size, form.encoding);
        const DecodeResult piece = DecodeToGb18030(
            std::string_view(broken).substr(begin, end - begin), form.encoding, storage);
        if (!piece.ok) {
          found = true;
          EXPECT_EQ(begin + piece.error.offset, whole_error.error.offset);
          EXPECT_EQ(LineAt(broken, begin + piece.error.offset, form.encoding),
                    whole_error.error.line);
        }
        begin = end;
      }
      EXPECT_TRUE(found);
    }
  }
}

TEST(Encoding, NamesAndMarks) {
  EXPECT_EQ(EncodingName(Encoding::kUtf16Le), "UTF-16LE");
  EXPECT_EQ(EncodingName(Encoding::kGbk), "GBK");
  EXPECT_EQ(ByteOrderMark(Encoding::kUtf8), "\xEF\xBB\xBF");
  EXPECT_EQ(ByteOrderMark(Encoding::kGb18030), "");
  EXPECT_EQ(BomLength("\xFF\xFE"
                      "a",
                      Encoding::kUtf16Le),
            2u);
  EXPECT_EQ(BomLength("\xFF\xFE"
                      "a",
                      Encoding::kUtf16Be),
            0u);
  EXPECT_EQ(FormatCodePoint(0x41), "U+0041");
  EXPECT_EQ(FormatCodePoint(0x1F600), "U+1F600");
}

}  // namespace
}  // namespace marvoset
