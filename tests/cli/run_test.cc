// Tests of the callable run function (cli/run.h): argument parsing, the
// standard streams, and that the output is exactly the library's result.
#include "cli/run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "convert/encoding.h"
#include "tests/cli/test_util.h"

namespace marvoset::cli {
namespace {

using testing::Gb;
using testing::ReadFile;
using testing::ReadStream;
using testing::SampleSogouList;
using testing::TempDir;
using testing::Utf8Bytes;
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

// Lists of a megabyte and more are decoded and converted a piece at a time;
// the result must be the same as converting the whole decoded text.
TEST(Run, LargeListsConvertedPieceByPiece) {
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

// The bytes of the GB18030 `text` in `to`.
std::string Encoded(std::string_view text, Encoding to) {
  std::string out;
  EncodeFromGb18030(text, to, [&out](std::string_view bytes) {
    out.append(bytes);
    return true;
  });
  return out;
}

// A list of several megabytes is read, converted and written a piece at a
// time; a multi-line phrase's body of 1.5 MB runs across the cuts between
// pieces. In every encoding the file is the whole list's conversion.
TEST(Run, LargeListsInEveryEncodingAreConvertedWhole) {
  std::string body;
  while (body.size() < (3u << 19)) body += "  x = f(a, b); k=2,v\r\n";
  const std::string list = SampleSogouList(60000, 21) + "ajax,1=\r\n" + body +
                           SampleSogouList(60000, 22) + Gb(u"zi,3=😀\r\nend,1=末");
  const std::string expected = ConvertSogouToQq(list);
  ASSERT_FALSE(expected.empty());
  ASSERT_NE(expected.find(body), std::string::npos);  // the body passed verbatim
  struct Form {
    const char* name;
    Encoding encoding;
    std::string_view bom;
  };
  const Form forms[] = {{"gb18030", Encoding::kGb18030, ""},
                        {"utf-8", Encoding::kUtf8, ""},
                        {"utf-16le", Encoding::kUtf16Le, "\xFF\xFE"},
                        {"utf-16be", Encoding::kUtf16Be, "\xFE\xFF"}};
  TempDir dir;
  for (const Form& form : forms) {
    SCOPED_TRACE(form.name);
    WriteFile(dir / "in.txt", std::string(form.bom) + Encoded(list, form.encoding));
    const Result r = RunWith({"--to", "qq", dir / "in.txt", "-o", dir / "out.txt"});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_TRUE(ReadFile(dir / "out.txt") ==
                std::string(form.bom) + Encoded(expected, form.encoding));
  }
}

// A fault found late in a large list, after earlier pieces were written to
// the temporary file, leaves the output file as it was and no temporary
// file; the fault is reported at its line.
TEST(Run, LateFaultsLeaveTheOutputFileAsItWas) {
  TempDir dir;
  const std::string list = SampleSogouList(150000, 23);
  ASSERT_GT(list.size(), 2u << 20);
  std::size_t lines = 1;
  for (char c : list) lines += c == '\n';
  const std::string line = "line " + std::to_string(lines);
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    std::string message;
  };
  const Case cases[] = {
      {"invalid byte", list + "a,1=\x80\r\n", {}, line + ", byte offset"},
      {"character outside GBK",
       list + Gb(u"zi,1=𠀀\r\n"),
       {"--output-encoding", "gbk"},
       line + ": character U+20000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(dir / "in.txt", c.input);
    WriteFile(dir / "out.txt", "precious\r\n");
    std::vector<std::string> args = {"--to", "qq", dir / "in.txt", "-o", dir / "out.txt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result r = RunWith(args);
    EXPECT_EQ(r.status, kExitIo);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir / "out.txt"), "precious\r\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      ++files;
    }
    EXPECT_EQ(files, 2u);  // in.txt and out.txt: no temporary file
  }
}

// Faults of the input are reported before a failure of the output.
TEST(Run, InputFaultsComeBeforeAnUnwritableOutput) {
  TempDir dir;
  const std::string out = dir / "no-such-dir/out.txt";
  Result r = RunWith({"--to", "qq", "-o", out}, "hello\r\n");
  EXPECT_EQ(r.status, kExitNotAList) << r.err;
  r = RunWith({"--to", "qq", "-o", out}, SampleSogouList(80000, 24) + "\xFF");
  EXPECT_EQ(r.status, kExitIo);
  EXPECT_NE(r.err.find("invalid GB18030 bytes"), std::string::npos) << r.err;
  r = RunWith({"--to", "qq", "-o", out}, Gb(u"dz,1=北京\r\n"));
  EXPECT_EQ(r.status, kExitIo);
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
}

// A file is read a part at a time, so the encoding is settled by reading
// on until a byte that is not UTF-8, and the other kind's entry that earns
// the suggestion may come late.
TEST(Run, FileInputsAreReadPastTheirFirstParts) {
  TempDir dir;
  std::string ascii;
  for (int i = 0; ascii.size() < (600u << 10); ++i) ascii += "k" + std::to_string(i) + ",1=v\r\n";

  // ASCII first, GB18030 only after several parts: GB18030, kept so.
  const std::string gb = ascii + Gb(u"dz,1=北京\r\n");
  WriteFile(dir / "gb.txt", gb);
  Result r = RunWith({"--to", "qq", dir / "gb.txt", "-o", dir / "out.txt"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(ReadFile(dir / "out.txt") == ConvertSogouToQq(gb));

  // UTF-8 throughout, with 京 across the first part's end: UTF-8.
  std::string utf8_head = ascii.substr(0, (256u << 10) - 4);
  utf8_head.replace(utf8_head.size() - 3, 3, "\r\n;");
  const std::u16string tail = u"北京\r\nzz,2=好";
  WriteFile(dir / "utf8.txt", utf8_head + Utf8Bytes(tail));
  r = RunWith({"--to", "qq", dir / "utf8.txt", "-o", dir / "out.txt"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(ReadFile(dir / "out.txt") ==
              Encoded(ConvertSogouToQq(utf8_head + Gb(tail)), Encoding::kUtf8));

  // Not a QQ list, but a Sogou list by its last line: the suggestion.
  std::string notes;
  while (notes.size() < (600u << 10)) notes += "; a note, not an entry\r\n";
  WriteFile(dir / "late.txt", notes + "dz,1=x\r\n");
  r = RunWith({"--to", "sogou", dir / "late.txt", "-o", dir / "out.txt"});
  EXPECT_EQ(r.status, kExitNotAList);
  EXPECT_NE(r.err.find("--to qq"), std::string::npos) << r.err;
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
