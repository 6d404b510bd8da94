#include "convert/text_ops.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/convert/gb.h"

namespace marvoset {
namespace {

using testing::G;

struct SplitCase {
  const char* name;
  std::string text;
  std::string delimiter;
  std::optional<int> limit;
  std::vector<std::string> expected;
};

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, Splits) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(SplitText(c.text, c.delimiter, c.limit).Elements(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitTextTest,
    ::testing::Values(
        SplitCase{"EmptyText", "", "\r\n", {}, {}},
        SplitCase{"NoDelimiter", "abc", "\r\n", {}, {"abc"}},
        SplitCase{"Lines", "a\r\nb", "\r\n", {}, {"a", "b"}},
        SplitCase{"LeadingDelimiterGivesEmptyFirst", "\r\na", "\r\n", {}, {"", "a"}},
        SplitCase{"AdjacentDelimitersGiveEmpty", "a\r\n\r\nb", "\r\n", {}, {"a", "", "b"}},
        SplitCase{"TrailingDelimiterGivesNothing", "a\r\n", "\r\n", {}, {"a"}},
        SplitCase{"OnlyDelimiter", "\r\n", "\r\n", {}, {""}},
        SplitCase{"LoneCrAndLfAreNotBreaks", "a\rb\nc", "\r\n", {}, {"a\rb\nc"}},
        SplitCase{"CrBeforeBreak", "a\r\r\nb", "\r\n", {}, {"a\r", "b"}},
        SplitCase{"Fields", "abc,1=x==y", "=", {}, {"abc,1", "x", "", "y"}},
        // 0xD6 0x61 is one character whose second byte is 'a'.
        SplitCase{"SecondByteIsNotADelimiter",
                  "\xD6\x61"
                  "a"
                  "b",
                  "a",
                  {},
                  {"\xD6\x61", "b"}},
        SplitCase{"FourByteCharacter",
                  "\x81\x30\x81\x30"
                  "0x",
                  "0",
                  {},
                  {"\x81\x30\x81\x30", "x"}},
        SplitCase{"StrayLeadByteKeepsLineBreak", "\x81\r\nx", "\r\n", {}, {"\x81", "x"}},
        SplitCase{"LeadByteAtEnd", "a,\xD6", ",", {}, {"a", "\xD6"}},
        SplitCase{"EmptyDelimiterDoesNotSplit", "abc", "", {}, {"abc"}},
        SplitCase{"LimitDropsRest", "a,b,c", ",", 2, {"a", "b"}},
        SplitCase{"LimitAboveCount", "a,b", ",", 5, {"a", "b"}},
        SplitCase{"LimitZero", "a,b", ",", 0, {}},
        SplitCase{"NegativeLimitCountsAsZero", "a,b", ",", -3, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitTextTest, ChineseLines) {
  const TextArray lines = SplitText(G(u"北京\r\n上海"), "\r\n");
  ASSERT_EQ(lines.Count(), 2u);
  EXPECT_EQ(lines.At(1), G(u"北京"));
  EXPECT_EQ(lines.At(2), G(u"上海"));
}

TEST(TextArrayTest, IndexErrorsGiveEmptyText) {
  const TextArray a = SplitText("x,y", ",");
  EXPECT_EQ(a.At(0), "");
  EXPECT_EQ(a.At(1), "x");
  EXPECT_EQ(a.At(3), "");
}

TEST(ConcatTextsTest, JoinsInOrder) {
  EXPECT_EQ(ConcatTexts({}), "");
  EXPECT_EQ(ConcatTexts({"a", "", "bc", std::string_view()}), "abc");
  EXPECT_EQ(ConcatTexts({std::string_view("a\0b", 3), "c"}), std::string("a\0bc", 4));
}

TEST(CompareTextsTest, ComparesUnsignedBytes) {
  EXPECT_EQ(CompareTexts("", ""), 0);
  EXPECT_EQ(CompareTexts(std::string_view(), ""), 0);
  EXPECT_LT(CompareTexts("", "a"), 0);
  EXPECT_GT(CompareTexts("ab", "a"), 0);
  EXPECT_GT(CompareTexts("\x80", "a"), 0);  // unsigned: 0x80 > 0x61
  EXPECT_LT(CompareTexts("abc", "abd"), 0);
}

struct FindCase {
  std::string text;
  std::string to_find;
  std::int64_t start;
  bool ignore_case;
  std::int64_t expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, Finds) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindText(c.text, c.to_find, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindTextTest,
    ::testing::Values(FindCase{"abcabc", "c", 4, false, 6}, FindCase{"abcabc", "c", 1, false, 3},
                      FindCase{"abcabc", "c", 0, false, 3}, FindCase{"abcabc", "c", -5, false, 3},
                      FindCase{"abcabc", "c", 7, false, -1}, FindCase{"ABC", "b", 1, true, 2},
                      FindCase{"ABC", "b", 1, false, -1}, FindCase{"abc", "", 2, false, 1},
                      FindCase{"abc", "", 4, false, -1}, FindCase{"", "", 1, false, -1},
                      FindCase{"abc", "abcd", 1, false, -1},
                      // the scan compares at offsets 0 and 2 only
                      FindCase{"\xD6\xD0"
                               "a",
                               "a", 1, false, 3},
                      FindCase{"\xD6\x61", "a", 1, false, -1},
                      // folding applies to ASCII letters only
                      FindCase{"\xC1", "\xE1", 1, true, -1}));

}  // namespace
}  // namespace marvoset
