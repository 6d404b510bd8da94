// Tests of the callable run function (cli/run.h): argument parsing, the
// standard streams, and that the output is exactly the library's result.
#include "cli/run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "tests/cli/test_util.h"

namespace marvoset::cli {
namespace {

using testing::Gb;
using testing::ReadFile;
using testing::ReadStream;
using testing::SampleSogouList;
using testing::TempDir;
using testing::WriteFile;

struct Result {
  int status;
  std::string out;
  std::string err;
};

// Runs with `stdin_bytes` as standard input.
Result RunWith(std::vector<std::string> args, const std::string& stdin_bytes = "") {
  args.insert(args.begin(), "marvoset-convert");
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(stdin_bytes.data(), 1, stdin_bytes.size(), in);
  std::rewind(in);
  Result r;
  r.status = Run(args, in, out, err);
  r.out = ReadStream(out);
  r.err = ReadStream(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return r;
}

TEST(Run, HelpShowsBothDirections) {
  const Result r = RunWith({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_NE(r.out.find("--to qq sogou.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--to sogou qq.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--merge"), std::string::npos);
  EXPECT_EQ(r.err, "");
}

TEST(Run, Version) {
  const Result r = RunWith({"--version"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "marvoset-convert " MARVOSET_TEST_VERSION "\n");
}

TEST(Run, UsageErrorsExitTwoAndWriteNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},                                // no --to
      {"in.txt"},                        // no --to
      {"--to", "xx"},                    // bad direction
      {"--to", "qq", "--bogus"},         // unknown option
      {"--to", "qq", "a.txt", "b.txt"},  // two inputs
      {"--to", "qq", "--input-encoding", "latin1"},
      {"--to", "qq", "--output-encoding", "auto"},
      {"--to", "qq", "--merge", "-"},  // standard input twice
      {"--to"},                        // value missing
  };
  for (const auto& args : cases) {
    const Result r = RunWith(args, "a,1=b\r\n");
    EXPECT_EQ(r.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("marvoset-convert: "), std::string::npos) << r.err;
  }
}

TEST(Run, StandardInputToStandardOutputIsTheLibraryResult) {
  const std::string list = SampleSogouList(2000);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--to", "qq"},
                                               {"--to", "qq", "-"},
                                               {"--to", "qq", "-", "-o", "-"}}) {
    const Result r = RunWith(args, list);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, ConvertSogouToQq(list));
    EXPECT_EQ(r.err, "");
  }
  const std::string qq = ConvertSogouToQq(list);
  const Result back = RunWith({"--to", "sogou"}, qq);
  EXPECT_EQ(back.status, kExitOk);
  EXPECT_EQ(back.out, ConvertQqToSogou(qq));
}

TEST(Run, FileToFile) {
  TempDir dir;
  const std::string list = SampleSogouList(500, 7);
  WriteFile(dir / "in.txt", list);
  const Result r = RunWith({"--to", "qq", dir / "in.txt", "-o", dir / "out.txt"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadFile(dir / "out.txt"), ConvertSogouToQq(list));
}

// Lists of a megabyte and more are converted while a second thread validates
// them; the result must be the same as converting the validated text.
TEST(Run, LargeListsConvertedWhileValidated) {
  const std::string list = SampleSogouList(80000, 11);
  ASSERT_GT(list.size(), 1u << 20);
  Result r = RunWith({"--to", "qq"}, list);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, ConvertSogouToQq(list));

  // Lone LFs after a first CR LF line: converted again once normalised.
  std::string mixed = list;
  std::string normalised = list;
  const std::size_t cut = list.rfind("\r\n", list.size() / 2);
  mixed.erase(cut, 1);
  r = RunWith({"--to", "qq"}, mixed);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, ConvertSogouToQq(normalised));

  // First line break LF: validated (and normalised) first.
  const std::string lf_first = "ab,1=x\n" + list;
  r = RunWith({"--to", "qq"}, lf_first);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, ConvertSogouToQq("ab,1=x\r\n" + list));
}

TEST(Run, LargeListWithAnInvalidByteLateOn) {
  std::string list = SampleSogouList(80000, 12);
  const std::size_t at = list.rfind("\r\n");  // at the end of the last line
  list.insert(at, "\xFF");
  std::size_t lines = 1;
  for (std::size_t i = 0; i < at; ++i) lines += list[i] == '\n';
  const Result r = RunWith({"--to", "qq"}, list);
  EXPECT_EQ(r.status, kExitIo);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("line " + std::to_string(lines) + ", byte offset " + std::to_string(at)),
            std::string::npos)
      << r.err;
}

TEST(Run, MergeIsTheWindowsMerge) {
  TempDir dir;
  const std::string sogou = Gb(u"dz,1=北京市海淀区\r\n");
  const std::string qq = Gb(u"bj=1,北京\r\nsh=2,上海");  // no final line break: kept verbatim
  WriteFile(dir / "qq.txt", qq);
  const Result r = RunWith({"--to", "qq", "--merge", dir / "qq.txt"}, sogou);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, ConvertSogouToQq(sogou) + std::string(kSogouToQqRule.merge_separator) + qq);
}

TEST(Run, WrongDirectionExitsOneWithSuggestion) {
  const Result r = RunWith({"--to", "sogou"}, Gb(u"dz,1=北京\r\n"));
  EXPECT_EQ(r.status, kExitNotAList);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("standard input"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("not a QQ Pinyin list"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--to qq"), std::string::npos) << r.err;
}

TEST(Run, NotAListAtAllHasNoSuggestion) {
  const Result r = RunWith({"--to", "qq"}, "hello\r\nworld\r\n");
  EXPECT_EQ(r.status, kExitNotAList);
  EXPECT_NE(r.err.find("not a Sogou Pinyin list"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("--to sogou"), std::string::npos) << r.err;
}

TEST(Run, NotAListIsReportedBeforeAMissingCharacter) {
  const Result r = RunWith({"--to", "qq", "--output-encoding", "gbk"}, Gb(u"zi=1,𠀀\r\n"));
  EXPECT_EQ(r.status, kExitNotAList) << r.err;
}

TEST(Run, MissingCharacterInTheMergeFileIsReportedThere) {
  TempDir dir;
  WriteFile(dir / "qq.txt", Gb(u"ok=1,好\r\nzi=2,𠀀\r\n"));
  const Result r = RunWith({"--to", "qq", "--output-encoding", "gbk", "--merge", dir / "qq.txt"},
                           Gb(u"dz,1=北京\r\n"));
  EXPECT_EQ(r.status, kExitIo);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("qq.txt': line 2: character U+20000"), std::string::npos) << r.err;
}

TEST(Run, MissingInputFileExitsThree) {
  TempDir dir;
  const Result r = RunWith({"--to", "qq", dir / "missing.txt"});
  EXPECT_EQ(r.status, kExitIo);
  EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace marvoset::cli
