// RegexObject against JavaScript: each row of regex_conformance.tsv holds a
// pattern, flags, subject and replacement with what JavaScript gives (see
// gen_regex_conformance.js); rows where we differ on purpose say why and
// hold our values instead.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "convert/codec.h"
#include "convert/regex_object.h"

namespace marvoset {
namespace {

std::u16string Unescape(const std::string& field) {
  // Fields are UTF-8 with \\ and \uXXXX escapes.
  std::u16string out;
  for (std::size_t i = 0; i < field.size();) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (c == '\\' && i + 1 < field.size() && field[i + 1] == '\\') {
      out += u'\\';
      i += 2;
    } else if (c == '\\' && i + 5 < field.size() && field[i + 1] == 'u') {
      out += static_cast<char16_t>(std::stoul(field.substr(i + 2, 4), nullptr, 16));
      i += 6;
    } else {
      char32_t cp;
      int extra;
      if (c < 0x80) {
        cp = c;
        extra = 0;
      } else if (c < 0xE0) {
        cp = c & 0x1F;
        extra = 1;
      } else if (c < 0xF0) {
        cp = c & 0x0F;
        extra = 2;
      } else {
        cp = c & 0x07;
        extra = 3;
      }
      for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (field[i + k] & 0x3F);
      i += 1 + extra;
      if (cp >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        out += static_cast<char16_t>(cp);
      }
    }
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

TEST(RegexConformanceTest, MatchesJavaScript) {
  std::ifstream file(MARVOSET_CONFORMANCE_TSV);
  ASSERT_TRUE(file) << MARVOSET_CONFORMANCE_TSV;
  std::string line;
  std::vector<std::string> header;
  int rows = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = SplitTabs(line);
    if (header.empty()) {
      header = fields;
      continue;
    }
    fields.resize(header.size());
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < header.size(); ++i) row[header[i]] = fields[i];
    SCOPED_TRACE(row["name"] + (row["why"].empty() ? "" : " (differs: " + row["why"] + ")"));
    ++rows;
    const std::string prefix = row["why"].empty() ? "js_" : "our_";
    auto gb = [&](const std::string& column) { return Utf16ToGb18030(Unescape(row[column])); };

    const std::string& flags = row["flags"];
    RegexObject re;
    const bool ok =
        re.Create(gb("pattern"), gb("subject"), flags.find('i') == std::string::npos,
                  flags.find('m') != std::string::npos, flags.find('g') != std::string::npos);
    EXPECT_EQ(ok, row[prefix + "error"] != "1");
    EXPECT_EQ(re.GetMatchCount(), std::stoi(row[prefix + "count"]));
    EXPECT_EQ(re.GetMatchText(1), gb(prefix + "first"));
    const std::u16string groups = Unescape(row[prefix + "groups"]);
    std::u16string got_groups;
    for (int m = 1; m <= re.GetSubMatchCount(); ++m) {
      if (m > 1) got_groups += u'\x1f';
      got_groups += Gb18030ToUtf16(re.GetSubMatchText(1, m));
    }
    EXPECT_EQ(got_groups, groups);
    EXPECT_EQ(re.Replace(gb("replacement")), gb(prefix + "replaced"));
  }
  EXPECT_GT(rows, 0) << "the table is empty";
}

}  // namespace
}  // namespace marvoset
