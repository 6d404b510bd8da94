#include "convert/converter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "convert/codec.h"
#include "convert/regex_object.h"
#include "tests/convert/gb.h"

namespace marvoset {
namespace {

using testing::G;

struct ConvertCase {
  const char* name;
  std::string input;
  std::string expected;
};

// The conversion through ListConverter, in pieces cut after the first CR LF
// past every `size` bytes; "" when the probe never passed.
std::string ConvertInPieces(std::string text, const ConversionRule& rule,
                            std::size_t size = 1 << 20) {
  if (!text.ends_with("\r\n")) text += "\r\n";
  ListConverter converter(rule);
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t cut = text.find("\r\n", begin + size);
    const std::size_t end = cut == std::string::npos ? text.size() : cut + 2;
    ListConverter::Piece piece;
    converter.ConvertAlone(text.data() + begin, end - begin, piece);
    converter.Join(text.data() + begin, piece);
    begin = end;
  }
  return converter.probe_passed() ? text : "";
}

class SogouToQqTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(SogouToQqTest, Converts) {
  EXPECT_EQ(ConvertSogouToQq(GetParam().input), GetParam().expected);
  EXPECT_EQ(ConvertInPieces(GetParam().input, kSogouToQqRule), GetParam().expected);
}

const std::string kEntry = "e,1=x\r\n";  // makes the probe pass where a case needs it

INSTANTIATE_TEST_SUITE_P(
    Table, SogouToQqTest,
    ::testing::Values(
        ConvertCase{"Entry", "abc,1=phrase", "abc=1,phrase\r\n"},
        ConvertCase{"Chinese", G(u"dz,1=北京市海淀区\r\n"), G(u"dz=1,北京市海淀区\r\n")},
        ConvertCase{"OutsideGbk", G(u"xl,2=😀𠀀\r\n"), G(u"xl=2,😀𠀀\r\n")},
        ConvertCase{"EqualsInPhrase", "abc,1=x=y\r\n", "abc=1,x=y\r\n"},
        ConvertCase{"DoubleEqualsInPhrase", "abc,1=x==y", "abc=1,x==y\r\n"},
        ConvertCase{"TrailingEqualsKept", "abc,1=x=", "abc=1,x=\r\n"},
        ConvertCase{"EmptyPhraseKept", "abc,1=", "abc=1,\r\n"},
        ConvertCase{"CommentRewritten", kEntry + "; note, a=b", "e=1,x\r\n; note= a,b\r\n"},
        ConvertCase{"EveryCommaInKey", "a,b,1=x", "a=b=1,x\r\n"},
        ConvertCase{"EmptyLinesKept", "a,1=x\r\n\r\n\r\nb,2=y\r\n", "a=1,x\r\n\r\n\r\nb=2,y\r\n"},
        ConvertCase{"LeadingEmptyLine", "\r\na,1=x", "\r\na=1,x\r\n"},
        ConvertCase{"LineWithoutFieldSeparatorEnds", kEntry + "foo,bar\r\nb,2=y",
                    "e=1,x\r\nfoo=bar\r\nb=2,y\r\n"},
        ConvertCase{"LfOnlyIsOneLine", "a,1=x\nb,2=y", "a=1,x\nb,2=y\r\n"},
        ConvertCase{"LoneCrStaysInLine", "a,1=x\r\rb,2=y\r\n", "a=1,x\r\rb,2=y\r\n"},
        ConvertCase{"TwoDigitEntryConverts", kEntry + "k,10=v", "e=1,x\r\nk=10,v\r\n"},
        ConvertCase{"UndecodableBytesKept", "k,1=\xFF\x81\r\n\x81,2=\xFE",
                    "k=1,\xFF\x81\r\n\x81=2,\xFE\r\n"},
        ConvertCase{"NulBytesKept", std::string("k,1=a\0b", 7), std::string("k=1,a\0b\r\n", 9)},
        ConvertCase{"MultiLinePhraseBody",
                    "ajax,1=\r\n    $ch = curl_init();\r\ncurl_setopt($ch, CURLOPT_URL, $url);\r\n"
                    "\r\n; a, b=c\r\nnext,2=x,y",
                    "ajax=1,\r\n    $ch = curl_init();\r\ncurl_setopt($ch, CURLOPT_URL, $url);\r\n"
                    "\r\n; a, b=c\r\nnext=2,x,y\r\n"},
        ConvertCase{"BodyEndsAtTwoDigitEntry", "a,1=\r\nx=y\r\nb,12=c=d\r\nz,w",
                    "a=1,\r\nx=y\r\nb=12,c=d\r\nz=w\r\n"},
        ConvertCase{"BodyFollowedByEmptyPhraseEntry", "a,1=\r\nx,y\r\nb,2=\r\nu=v\r\n",
                    "a=1,\r\nx,y\r\nb=2,\r\nu=v\r\n"},
        ConvertCase{"UndecodableByteInEntryKey", "\xFF,1=\r\nx,y", "\xFF=1,\r\nx,y\r\n"},
        ConvertCase{"EmptyKeyEntryStartsBody", ",1=\r\nx,y", "=1,\r\nx,y\r\n"},
        ConvertCase{"KeyWithTwoCommasIsNoEntryLine", "a,b,1=\r\nx,y=z", "a=b=1,\r\nx=y,z\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

class QqToSogouTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(QqToSogouTest, Converts) {
  EXPECT_EQ(ConvertQqToSogou(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QqToSogouTest,
    ::testing::Values(ConvertCase{"Entry", "abc=1,phrase", "abc,1=phrase\r\n"},
                      ConvertCase{"CommaInPhrase", "abc=1,x,y\r\n", "abc,1=x,y\r\n"},
                      ConvertCase{"Chinese", G(u"dz=1,北京市海淀区"), G(u"dz,1=北京市海淀区\r\n")},
                      ConvertCase{"TrailingCommaKept", "abc=1,x,", "abc,1=x,\r\n"},
                      ConvertCase{"MultiLinePhraseBody", "f=1,\r\n  a = b, c;\r\ng=2,h",
                                  "f,1=\r\n  a = b, c;\r\ng,2=h\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConverterTest, ProbeRejectsWhatIsNoListOfThatKind) {
  const std::string not_lists[] = {"",
                                   "\r\n",
                                   "hello world",
                                   "a=1,x\r\nb=2,y",    // a QQ list
                                   "a,10=x\r\nb,22=y",  // two-digit positions only
                                   G(u"a,１=x"),
                                   std::string(1000, '\0')};
  for (const std::string& text : not_lists) {
    EXPECT_EQ(ConvertSogouToQq(text), "");
    EXPECT_FALSE(ProbeList(text, kSogouToQqRule));
    EXPECT_EQ(ConvertInPieces(text, kSogouToQqRule, 1), "");
  }
  EXPECT_EQ(ConvertQqToSogou("a,1=x"), "");
}

TEST(ConverterTest, OneEntryAnywhereConvertsEveryLine) {
  std::string list;
  for (int i = 0; i < 20000; ++i) list += "no entry, here=" + std::to_string(i) + "\r\n";
  list += "k,1=v\r\n";  // far beyond the first probe piece
  const std::string out = ConvertSogouToQq(list);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.substr(0, 20), "no entry= here,0\r\nno");
  EXPECT_EQ(out.substr(out.size() - 7), "k=1,v\r\n");
}

// Large lists are converted by two threads, split at an entry line after
// the middle; a multi-line phrase whose body spans the middle must stay whole.
TEST(ConverterTest, LargeListWithBodyAcrossTheMiddle) {
  std::string sogou;
  std::string qq;
  for (int i = 0; sogou.size() < (9u << 20); ++i) {
    const std::string n = std::to_string(i);
    sogou += "k" + n + ",1=" + n + "=v\r\n";
    qq += "k" + n + "=1," + n + "=v\r\n";
  }
  sogou += "ajax,1=\r\n";
  qq += "ajax=1,\r\n";
  for (int i = 0; i < 400000; ++i) {
    const std::string body = "  $a" + std::to_string(i) + " = f(x, y); k=2,v\r\n";
    sogou += body;
    qq += body;
  }
  sogou += "end,2=w";
  qq += "end=2,w\r\n";
  ASSERT_GT(sogou.size(), 18u << 20);
  EXPECT_TRUE(ConvertSogouToQq(sogou) == qq);
  EXPECT_TRUE(ConvertInPieces(sogou, kSogouToQqRule) == qq);
}

TEST(ConverterTest, MergeSeparators) {
  EXPECT_EQ(Gb18030ToUtf16(kSogouToQqRule.merge_separator),
            u"\r\n;  ----------下面为QQ拼音---------\r\n");
  EXPECT_EQ(Gb18030ToUtf16(kQqToSogouRule.merge_separator),
            u"\r\n;  ----------下面为搜狗拼音---------\r\n");
}

// The conversion spelled out step by step with the text operations and the
// regular-expression object: split into lines, rewrite each key with a
// global replace of the key separator, carry everything after the first
// field separator whole, and carry the body lines of a multi-line phrase.
Text ReferenceConvert(std::string_view text, const ConversionRule& rule) {
  RegexObject re;
  re.Create(rule.probe_pattern, text);
  if (CompareTexts(re.GetMatchText(1), "") == 0) return Text();
  const std::string a(1, rule.field_separator);
  const std::string b(1, rule.key_separator);
  const std::string entry_pattern = "^[^,=]*" + b + "[0-9]+" + a;
  Text out;
  bool in_body = false;
  const TextArray lines = SplitText(text, "\r\n");
  for (std::size_t i = 1; i <= lines.Count(); ++i) {
    const Text& line = lines.At(i);
    // An undecodable byte is a character like any other here, but the
    // engine lets it match nothing; stand a letter in its place.
    std::u16string units = Gb18030ToUtf16(line);
    for (char16_t& u : units) {
      if (u >= 0xDC80 && u <= 0xDCFF) u = u'x';
    }
    RegexObject entry_re;
    entry_re.Create(entry_pattern, Utf16ToGb18030(units), std::nullopt, /*multiline=*/false);
    const bool entry = entry_re.GetMatchCount() > 0;
    if (in_body && !entry) {
      out = ConcatTexts({out, line, "\r\n"});
      continue;
    }
    const TextArray fields = SplitText(line, a, 1);
    const Text& key = fields.At(1);
    re.Create(b, key);
    Text converted = key.empty() ? Text() : re.Replace(a);
    const bool has_phrase = line.size() > key.size();
    const Text phrase = has_phrase ? line.substr(key.size() + 1) : Text();
    out = ConcatTexts({out, converted, has_phrase ? b : "", phrase, "\r\n"});
    in_body = entry && has_phrase && phrase.empty();
  }
  return out;
}

// Random texts of list-like tokens, long keys and phrases among them, so
// that lines are read both from the 32-byte window and byte by byte.
std::string RandomListText(std::mt19937& rng, int max_tokens, bool sogou) {
  static const std::string tokens[] = {"a",
                                       "Zq",
                                       ",",
                                       "=",
                                       "1",
                                       "7",
                                       "42",
                                       " ",
                                       "\r",
                                       "\n",
                                       "\r\n",
                                       "\r\n",
                                       "\r\n",
                                       G(u"北京"),
                                       G(u"😀"),
                                       "\xFF",
                                       "\x81",
                                       "$ch",
                                       ";",
                                       "\t",
                                       "k,1=",
                                       "k=1,",
                                       "aj,2=\r\n",
                                       "aj=2,\r\n",
                                       std::string(29, 'x'),
                                       std::string(40, 'y') + "\r\n"};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(tokens) - 1);
  std::uniform_int_distribution<int> length(0, max_tokens);
  std::string text = sogou ? "k,1=v\r\n" : "k=1,v\r\n";
  const int n = length(rng);
  for (int t = 0; t < n; ++t) text += tokens[pick(rng)];
  return text;
}

TEST(ConverterTest, AgreesWithStepByStepConversionOnRandomLists) {
  std::mt19937 rng(7);
  for (int i = 0; i < 4000; ++i) {
    const std::string text = RandomListText(rng, i < 3000 ? 40 : 300, i % 2 == 0);
    for (const ConversionRule* rule : {&kSogouToQqRule, &kQqToSogouRule}) {
      ASSERT_EQ(ConvertList(text, *rule), ReferenceConvert(text, *rule))
          << "case " << i << ": " << ::testing::PrintToString(text);
    }
  }
}

// A list cut after CR LFs, its pieces converted alone in any order and
// joined in order, is converted as a whole: multi-line phrases' bodies
// running across the cuts included.
TEST(ConverterTest, PiecesConvertedAloneAndJoinedAreTheWhole) {
  std::mt19937 rng(13);
  for (int i = 0; i < 3000; ++i) {
    std::string text = RandomListText(rng, 200, i % 2 == 0);
    std::vector<std::size_t> cuts{0};
    std::bernoulli_distribution cut_here(0.3);
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
      if (cut_here(rng) && at + 2 < text.size()) cuts.push_back(at + 2);
    }
    cuts.push_back(text.size());
    for (const ConversionRule* rule : {&kSogouToQqRule, &kQqToSogouRule}) {
      std::vector<std::string> pieces;
      for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        pieces.push_back(text.substr(cuts[k], cuts[k + 1] - cuts[k]));
      }
      if (!pieces.back().ends_with("\r\n")) pieces.back() += "\r\n";
      ListConverter converter(*rule);
      std::vector<ListConverter::Piece> alone(pieces.size());
      for (std::size_t k = pieces.size(); k-- > 0;) {
        converter.ConvertAlone(pieces[k].data(), pieces[k].size(), alone[k]);
      }
      std::string joined;
      for (std::size_t k = 0; k < pieces.size(); ++k) {
        converter.Join(pieces[k].data(), alone[k]);
        joined += pieces[k];
      }
      const Text whole = ConvertList(text, *rule);
      ASSERT_EQ(converter.probe_passed(), !whole.empty()) << ::testing::PrintToString(text);
      if (!whole.empty()) {
        ASSERT_EQ(joined, whole) << "case " << i << ": " << ::testing::PrintToString(text);
      }
    }
  }
}

TEST(ConverterTest, RoundTripRestoresWellFormedEntries) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<char16_t> hanzi(0x4E00, 0x9FA5);
  std::string sogou;
  for (int i = 0; i < 500; ++i) {
    std::u16string phrase;
    for (int k = 0; k < 1 + i % 9; ++k) phrase += hanzi(rng);
    if (i % 7 == 0) phrase += u"=,😀";
    sogou += "k" + std::to_string(i) + "," + std::to_string(digit(rng)) + "=" + G(phrase) + "\r\n";
  }
  const std::string qq = ConvertSogouToQq(sogou);
  ASSERT_FALSE(qq.empty());
  EXPECT_NE(qq, sogou);
  EXPECT_EQ(ConvertQqToSogou(qq), sogou);
}

}  // namespace
}  // namespace marvoset
