#include "convert/regex_object.h"

#include <gtest/gtest.h>

#include "tests/convert/gb.h"

namespace marvoset {
namespace {

using testing::G;

TEST(RegexObjectTest, ProbeWithoutMatch) {
  RegexObject re;
  EXPECT_TRUE(re.Create(R"(,\d{1}=)", "abc=1,x"));
  EXPECT_EQ(re.GetMatchCount(), 0);
  int pos = 99;
  EXPECT_EQ(re.GetMatchText(1, &pos), "");
}

TEST(RegexObjectTest, ProbeMatchAndPosition) {
  RegexObject re;
  ASSERT_TRUE(re.Create(R"(,\d{1}=)", "abc,1=x"));
  int pos = -1;
  EXPECT_EQ(re.GetMatchText(1, &pos), ",1=");
  EXPECT_EQ(pos, 3);
}

TEST(RegexObjectTest, PositionsCountBytes) {
  RegexObject re;
  ASSERT_TRUE(re.Create("a", G(u"中a😀a") + "\xFF"
                                           "a"));
  int pos = -1;
  EXPECT_EQ(re.GetMatchText(1, &pos), "a");
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(re.GetMatchText(2, &pos), "a");
  EXPECT_EQ(pos, 7);  // after a four-byte emoji
  EXPECT_EQ(re.GetMatchText(3, &pos), "a");
  EXPECT_EQ(pos, 9);                         // after an undecodable byte
  EXPECT_EQ(re.GetMatchText(2, &pos), "a");  // going back works too
  EXPECT_EQ(pos, 7);
}

TEST(RegexObjectTest, GlobalAndNonGlobalReplace) {
  RegexObject re;
  re.Create(",", "a,b,1");
  EXPECT_EQ(re.Replace("="), "a=b=1");
  re.Create(",", "a,b,1", std::nullopt, std::nullopt, false);
  EXPECT_EQ(re.Replace("="), "a=b,1");
  EXPECT_EQ(re.GetMatchCount(), 1);
  re.Create("=", "abc=1");
  EXPECT_EQ(re.Replace(","), "abc,1");
}

TEST(RegexObjectTest, ReplaceKeepsChineseAndUndecodableBytes) {
  RegexObject re;
  const std::string subject = G(u"北,京") + "\x81,\xFF";
  re.Create(",", subject);
  EXPECT_EQ(re.Replace("="), G(u"北=京") + "\x81=\xFF");
  re.Create("x", subject);
  EXPECT_EQ(re.Replace("y"), subject);
}

TEST(RegexObjectTest, CaseSensitivity) {
  RegexObject re;
  EXPECT_EQ((re.Create("a", "A"), re.GetMatchCount()), 1);
  EXPECT_EQ((re.Create("a", "A", false), re.GetMatchCount()), 1);
  EXPECT_EQ((re.Create("a", "A", true), re.GetMatchCount()), 0);
}

TEST(RegexObjectTest, MatchNumbersOutOfRange) {
  RegexObject re;
  re.Create("b", "abcb");
  EXPECT_EQ(re.GetMatchText(0), "");
  EXPECT_EQ(re.GetMatchText(-1), "");
  EXPECT_EQ(re.GetMatchText(3), "");
  EXPECT_EQ(re.GetMatchText(2), "b");
  EXPECT_EQ(re.GetSubMatchText(1, 1), "");
}

TEST(RegexObjectTest, BeforeCreate) {
  RegexObject re;
  EXPECT_EQ(re.GetPattern(), "");
  EXPECT_EQ(re.Replace("x"), "");
  EXPECT_EQ(re.GetMatchCount(), 0);
  EXPECT_EQ(re.GetSubMatchCount(), 0);
  EXPECT_EQ(re.GetMatchText(1), "");
}

TEST(RegexObjectTest, SecondCreateStartsAfresh) {
  RegexObject re;
  re.Create("a", "aaa");
  EXPECT_EQ(re.GetMatchCount(), 3);
  re.Create("b", "ab");
  EXPECT_EQ(re.GetMatchCount(), 1);
  EXPECT_EQ(re.GetPattern(), "b");
}

TEST(RegexObjectTest, SubMatches) {
  RegexObject re;
  re.Create(R"((\d)(\d))", "x12");
  EXPECT_EQ(re.GetSubMatchCount(), 2);
  int pos = -1;
  EXPECT_EQ(re.GetSubMatchText(1, 2, &pos), "2");
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(re.GetSubMatchText(1, 3), "");
  re.Create("(a)|(b)", "b");
  EXPECT_EQ(re.GetSubMatchText(1, 1, &pos), "");  // took no part
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(re.GetSubMatchText(1, 2), "b");
}

TEST(RegexObjectTest, CopyKeepsState) {
  RegexObject re;
  re.Create("a(.)", "a1a2");
  RegexObject copy(re);
  EXPECT_EQ(copy.GetMatchCount(), 2);
  EXPECT_EQ(copy.GetSubMatchText(2, 1), "2");
  EXPECT_EQ(copy.Replace("$1"), "12");
  RegexObject assigned;
  assigned = re;
  EXPECT_EQ(assigned.GetPattern(), "a(.)");
}

TEST(RegexObjectTest, InvalidPatternGivesEmptyResults) {
  for (const char* pattern : {"(", "a{2,1}", "[b-a]", "\\", "*"}) {
    SCOPED_TRACE(pattern);
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, "abc"));
    EXPECT_EQ(re.GetPattern(), "");
    EXPECT_EQ(re.Replace("x"), "");
    EXPECT_EQ(re.GetMatchCount(), 0);
    EXPECT_EQ(re.GetMatchText(1), "");
    EXPECT_EQ(re.GetSubMatchCount(), 0);
  }
}

// Catastrophic backtracking gives up at the match limits: a failed call,
// not a hang.
TEST(RegexObjectTest, RunawayPatternFails) {
  const std::string subject = std::string(64, 'a') + "!";
  for (const char* pattern : {"^(a+)+$", "^(a|a)*$", R"(^(\w+\s?)*$)"}) {
    SCOPED_TRACE(pattern);
    RegexObject re;
    EXPECT_FALSE(re.Create(pattern, subject));
    EXPECT_EQ(re.Replace("x"), "");
    EXPECT_EQ(re.GetMatchCount(), 0);
  }
}

// Found by fuzzing: an empty pattern over a long subject with a long
// replacement, one expansion per character.
TEST(RegexObjectTest, EmptyPatternWithLongReplacement) {
  const std::string subject(3000, 'x');
  const std::string replacement = std::string(500, 'r') + "$&" + std::string(500, 's') + "$";
  RegexObject re;
  ASSERT_TRUE(re.Create("", subject));
  std::string expected;
  const std::string piece = std::string(500, 'r') + std::string(500, 's') + "$";
  for (char c : subject) expected += piece + c;
  expected += piece;
  EXPECT_EQ(re.Replace(replacement), expected);
}

struct ReplaceCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::string replacement;
  std::string expected;
  bool global = true;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, AsJavaScript) {
  const ReplaceCase& c = GetParam();
  RegexObject re;
  ASSERT_TRUE(re.Create(c.pattern, c.subject, std::nullopt, std::nullopt, c.global));
  EXPECT_EQ(re.Replace(c.replacement), c.expected);
}

// Expected values are what JavaScript's String.prototype.replace gives.
INSTANTIATE_TEST_SUITE_P(
    Table, ReplaceTest,
    ::testing::Values(ReplaceCase{"EmptyMatchesAdvanceOneUnit", "b*", "abc", "-", "-a--c-"},
                      ReplaceCase{"EmptyPattern", "", "abc", "-", "-a-b-c-"},
                      ReplaceCase{"EmptyPatternNonGlobal", "", "abc", "-", "-abc", false},
                      ReplaceCase{"DollarForms", R"((\d))", "a1b2", "[$1$2$10$&$`$'$$$0]",
                                  "a[1$2101ab2$$0]b[2$2202a1b$$0]"},
                      ReplaceCase{"TwoDigitGroup", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)",
                                  "abcdefghijk", "$11$10", "kj"},
                      ReplaceCase{"UnsetGroupIsEmpty", "(a)(b)?x?", "ab", "<$2>", "<b>"},
                      ReplaceCase{"UnsetGroupIsEmpty2", "(a)|(b)", "a", "<$2>", "<>"},
                      ReplaceCase{"NamedGroups", "(?<n>x)", "x", "$<n>$<m>|", "x|"},
                      ReplaceCase{"NoNamedGroups", "x", "x", "$<n>", "$<n>"},
                      ReplaceCase{"DollarAtEnd", "x", "x", "a$", "a$"},
                      ReplaceCase{"CaseInsensitiveByDefault", "x", "aXbx", "_", "a_b_"},
                      ReplaceCase{"EmptyMatchBesideEmoji", "", "\x94\x39\xFC\x36", "-",
                                  "-\x94\x39\xFC\x36-"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MatchCase {
  const char* name;
  std::string pattern;
  std::string subject;
  std::string first_match;  // "" when nothing matches
};

class MatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchTest, FirstMatch) {
  const MatchCase& c = GetParam();
  RegexObject re;
  ASSERT_TRUE(re.Create(c.pattern, c.subject));
  EXPECT_EQ(re.GetMatchText(1), c.first_match);
  EXPECT_EQ(re.GetMatchCount() > 0, !c.first_match.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MatchTest,
    ::testing::Values(MatchCase{"AsciiDigit", R"(,\d{1}=)", "x,7=y", ",7="},
                      MatchCase{"FullWidthDigitIsNoDigit", R"(,\d{1}=)", G(u",１=x"), ""},
                      MatchCase{"TwoDigitsFailProbe", R"(,\d{1}=)", "x,10=y", ""},
                      MatchCase{"WordIsAscii", R"(\w+)", G(u"中文abc"), "abc"},
                      MatchCase{"BoundaryNextToChinese", R"(\babc)", G(u"中abc"), "abc"},
                      MatchCase{"SpaceIncludesIdeographic", R"(\s)", G(u"a\u3000b"), G(u"\u3000")},
                      MatchCase{"SpaceIncludesNoBreak", R"(a\sb)", G(u"a\u00A0b"), G(u"a\u00A0b")},
                      MatchCase{"SpaceInClass", R"([\s,]+)", G(u"a\u3000,b"), G(u"\u3000,")},
                      MatchCase{"NonSpace", R"(\S+)", G(u"\u3000ab\u3000"), "ab"},
                      MatchCase{"AnchorsWithCrLf", "^b$", "a\r\nb\r\nc", "b"},
                      MatchCase{"AnchorsWithLf", "^b$", "a\nb\nc", "b"},
                      MatchCase{"DollarNotBeforeFinalBreakWithoutMultiline", "c$", "c\n", "c"},
                      MatchCase{"DotStopsAtLineEnd", "a.*", "ab\r\nc", "ab"},
                      MatchCase{"DotMatchesChinese", "a.b", G(u"a中b"), G(u"a中b")},
                      MatchCase{"UnicodeEscape", R"(\u4e2d)", G(u"x中"), G(u"中")},
                      MatchCase{"SurrogatePairEscape", R"(\ud83d\ude00)", G(u"x😀"), G(u"😀")},
                      MatchCase{"HexEscape", R"(\x41)", "zA", "A"},
                      MatchCase{"IdentityEscapes", R"(\e\q\-)", "eq-", "eq-"},
                      MatchCase{"VerticalTabEscape", R"(\v)", "a\vb", "\v"},
                      MatchCase{"CaseFoldsNonAscii", G(u"é"), G(u"xÉ"), G(u"É")},
                      MatchCase{"CaseFoldsGreek", G(u"σ"), G(u"Σ"), G(u"Σ")},
                      MatchCase{"UnsetBackReferenceMatchesEmpty", R"((a)?b\1)", "b", "b"},
                      MatchCase{"EmptyClassNeverMatches", "[]", "abc", ""},
                      MatchCase{"NegatedEmptyClassMatchesAll", "[^]", "\n", "\n"},
                      MatchCase{"PosixLikeClassIsLiteral", "[[:a]+", "a:[", "a:["},
                      MatchCase{"UndecodableBytesAreSkipped", "a+",
                                "\xFF"
                                "aa",
                                "aa"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marvoset
