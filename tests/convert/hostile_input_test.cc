// Hostile input to the library: each gives a converted result or the empty
// result, never a crash, a hang or a lost byte.
#include <gtest/gtest.h>

#include <string>

#include "convert/converter.h"
#include "convert/regex_object.h"

namespace marvoset {
namespace {

TEST(HostileInputTest, FiftyMegabyteLine) {
  const std::string phrase(50u << 20, 'x');
  const std::string entry = "k,1=" + phrase;
  const std::string out = ConvertSogouToQq(entry);
  ASSERT_EQ(out.size(), entry.size() + 2);
  EXPECT_EQ(out.compare(0, 4, "k=1,"), 0);
  EXPECT_EQ(out.compare(4, phrase.size(), phrase), 0);

  // The same line without an entry is searched whole and refused.
  EXPECT_EQ(ConvertSogouToQq(phrase), "");
  RegexObject re;
  EXPECT_TRUE(re.Create("x$", phrase));
  int position = 0;
  EXPECT_EQ(re.GetMatchText(1, &position), "x");
  EXPECT_EQ(static_cast<std::size_t>(position), phrase.size() - 1);
}

TEST(HostileInputTest, NulBytes) {
  const std::string nuls(1u << 20, '\0');
  EXPECT_EQ(ConvertSogouToQq(nuls), "");
  EXPECT_EQ(ConvertQqToSogou(nuls), "");
  const std::string list = "k,1=" + nuls + "\r\n";
  EXPECT_EQ(ConvertSogouToQq(list), "k=1," + nuls + "\r\n");
}

TEST(HostileInputTest, LoneLeadByteAtTheVeryEnd) {
  EXPECT_EQ(ConvertSogouToQq("k,1=abc\xD6"), "k=1,abc\xD6\r\n");
  EXPECT_EQ(ConvertQqToSogou("k=1,\xB1\xB1\xBE"), "k,1=\xB1\xB1\xBE\r\n");
}

TEST(HostileInputTest, EveryKeyWithTwoDigitPosition) {
  std::string list;
  for (int i = 0; i < 1000; ++i)
    list += "k" + std::to_string(i) + ",1" + std::to_string(i % 10) + "=v\r\n";
  EXPECT_EQ(ConvertSogouToQq(list), "");
  list += "last,3=v\r\n";  // one single-digit entry is enough
  EXPECT_EQ(ConvertSogouToQq(list).substr(0, 10), "k0=10,v\r\nk");
}

TEST(HostileInputTest, BinaryNoise) {
  std::string noise;
  unsigned state = 12345;
  for (int i = 0; i < (1 << 20); ++i) {
    state = state * 1103515245u + 12345u;
    noise += static_cast<char>((state >> 16) & 0xFF);
  }
  for (const std::string& text : {noise, ",1=" + noise, "=1," + noise}) {
    for (const std::string& out : {ConvertSogouToQq(text), ConvertQqToSogou(text)}) {
      if (out.empty()) continue;
      ASSERT_GE(out.size(), text.size());
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (out[i] != text[i]) {
          ASSERT_TRUE((text[i] == ',' || text[i] == '=') && (out[i] == ',' || out[i] == '='));
        }
      }
    }
  }
}

}  // namespace
}  // namespace marvoset
