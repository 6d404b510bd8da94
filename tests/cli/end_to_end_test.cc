// End-to-end tests: run the built marvoset-convert binary on files in a
// temporary directory and check its output files, streams and exit status.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "tests/cli/test_util.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace marvoset {
namespace {

using testing::Gb;
using testing::ReadFile;
using testing::TempDir;
using testing::Utf16Bytes;
using testing::Utf8Bytes;
using testing::WriteFile;

std::string Binary() {
  const char* env = std::getenv("MARVOSET_CONVERT");
  const std::string path = env && *env ? env : MARVOSET_CONVERT_DEFAULT;
#if defined(_WIN32)
  // CMake names the binary by its build-host path ("/work/..."); Windows
  // resolves such a path on the current drive (under Wine the drive that
  // maps the host's root).
  return std::filesystem::absolute(path).make_preferred().string();
#else
  return path;
#endif
}

#if defined(_WIN32)
// For cmd.exe: double quotes (no argument here holds one).
std::string ShellQuote(const std::string& s) { return '"' + s + '"'; }
#else
std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}
#endif

struct Proc {
  int status = -1;
  std::string out;
  std::string err;
};

class EndToEnd : public ::testing::Test {
 protected:
  // Runs the binary with `args`; standard input is the file `stdin_path`
  // (empty input when "").
  Proc Run(const std::vector<std::string>& args, const std::string& stdin_path = "") {
    std::string command = ShellQuote(Binary());
    for (const std::string& a : args) command += " " + ShellQuote(a);
    const std::string in = stdin_path.empty() ? dir_ / ".empty-stdin" : stdin_path;
    if (stdin_path.empty()) WriteFile(in, "");
    const std::string out = io_dir_ / "stdout", err = io_dir_ / "stderr";
    command += " <" + ShellQuote(in) + " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
#if defined(_WIN32)
    // cmd.exe drops the first and the last quote of a command line that
    // starts with one; an outer pair keeps the quoting inside intact.
    command = '"' + command + '"';
#endif
    int raw = std::system(command.c_str());
    Proc p;
#if defined(_WIN32)
    // 9009 is cmd.exe failing to start the program at all, which Wine does
    // now and then on a loaded machine; the program never ran.
    for (int attempt = 1; raw == 9009 && attempt < 3; ++attempt) {
      raw = std::system(command.c_str());
    }
    p.status = raw;
#else
    p.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    p.out = ReadFile(out);
    p.err = ReadFile(err);
    if (stdin_path.empty()) std::filesystem::remove(in);
    return p;
  }

  std::string Path(const std::string& name) const { return dir_ / name; }
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(Path(name), bytes);
    return Path(name);
  }
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      names.insert(e.path().filename().string());
    }
    return names;
  }

  TempDir dir_;
  TempDir io_dir_;
};

const std::u16string kSogou = u"dz,1=北京市海淀区\r\nab,2=x=y\r\n; note, a=b\r\n";
const std::u16string kQq = u"dz=1,北京市海淀区\r\nab=2,x=y\r\n; note= a,b\r\n";

TEST_F(EndToEnd, SogouToQqFileToFile) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  const Proc p = Run({"--to", "qq", in, "-o", Path("qq.txt")});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "");
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(ReadFile(Path("qq.txt")), Gb(kQq));
}

TEST_F(EndToEnd, QqToSogouFileToFile) {
  const std::string in = Write("qq.txt", Gb(u"dz=1,北京市海淀区\r\nab=2,x,y\r\n"));
  const Proc p = Run({"--to", "sogou", in, "--output", Path("sogou.txt")});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(ReadFile(Path("sogou.txt")), Gb(u"dz,1=北京市海淀区\r\nab,2=x,y\r\n"));
}

TEST_F(EndToEnd, StandardInputAndOutput) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  Proc p = Run({"--to", "qq"}, in);
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(kQq));
  p = Run({"--to", "qq", "-", "-o", "-"}, in);
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(kQq));
}

TEST_F(EndToEnd, RoundTripRestoresAWellFormedList) {
  const std::string list = Gb(u"dz,1=北京市海淀区\r\nsh,2=上海\r\nyx,9=x@example.com\r\n");
  const std::string in = Write("sogou.txt", list);
  ASSERT_EQ(Run({"--to", "qq", in, "-o", Path("qq.txt")}).status, 0);
  ASSERT_EQ(Run({"--to", "sogou", Path("qq.txt"), "-o", Path("back.txt")}).status, 0);
  EXPECT_EQ(ReadFile(Path("back.txt")), list);
}

TEST_F(EndToEnd, LargerListIsTheLibraryResult) {
  const std::string list = testing::SampleSogouList(20000, 3);
  const std::string in = Write("sogou.txt", list);
  const Proc p = Run({"--to", "qq", in, "-o", Path("qq.txt")});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(ReadFile(Path("qq.txt")), ConvertSogouToQq(list));
}

TEST_F(EndToEnd, MergeSogouToQq) {
  const std::string in = Write("sogou.txt", Gb(u"dz,1=北京市海淀区\r\n"));
  const std::string merge = Write("qq.txt", Gb(u"bj=1,北京\r\nsh=2,上海\r\n"));
  const Proc p = Run({"--to", "qq", "--merge", merge, in, "-o", Path("all.txt")});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(ReadFile(Path("all.txt")),
            Gb(u"dz=1,北京市海淀区\r\n\r\n;  "
               u"----------下面为QQ拼音---------\r\nbj=1,北京\r\nsh=2,上海\r\n"));
}

TEST_F(EndToEnd, MergeQqToSogouWithAnotherEncodingAndLineFeeds) {
  // The merge file is UTF-16LE with LF line breaks; the output follows the
  // input (GB18030), and the merge file's line breaks become CR LF.
  const std::string in = Write("qq.txt", Gb(u"dz=1,北京市海淀区\r\n"));
  const std::string merge =
      Write("sogou.txt", "\xFF\xFE" + Utf16Bytes(u"bj,1=北京\nsh,2=上海", true));
  const Proc p = Run({"--to", "sogou", in, "--merge", merge});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(u"dz,1=北京市海淀区\r\n\r\n;  "
                      u"----------下面为搜狗拼音---------\r\nbj,1=北京\r\nsh,2=上海"));
}

TEST_F(EndToEnd, MergeWithAnEmptyFile) {
  const std::string in = Write("sogou.txt", Gb(u"dz,1=北京\r\n"));
  const std::string merge = Write("empty.txt", "");
  const Proc p = Run({"--to", "qq", in, "--merge", merge});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(u"dz=1,北京\r\n") + std::string(kSogouToQqRule.merge_separator));
}

// Each Unicode input encoding, detected automatically, comes out in the same
// form, byte order mark included.
TEST_F(EndToEnd, UnicodeInputsKeepTheirEncoding) {
  struct Case {
    const char* name;
    std::string (*encode)(std::u16string_view);
  };
  const Case cases[] = {
      {"utf-8", [](std::u16string_view t) { return Utf8Bytes(t); }},
      {"utf-8-bom", [](std::u16string_view t) { return "\xEF\xBB\xBF" + Utf8Bytes(t); }},
      {"utf-16le-bom", [](std::u16string_view t) { return "\xFF\xFE" + Utf16Bytes(t, true); }},
      {"utf-16be-bom", [](std::u16string_view t) { return "\xFE\xFF" + Utf16Bytes(t, false); }},
  };
  for (const Case& c : cases) {
    const std::string in = Write(std::string(c.name) + ".txt", c.encode(kSogou));
    const Proc p = Run({"--to", "qq", in});
    EXPECT_EQ(p.status, 0) << c.name << ": " << p.err;
    EXPECT_EQ(p.out, c.encode(kQq)) << c.name;
  }
}

TEST_F(EndToEnd, NamedInputEncodings) {
  // UTF-16LE without a byte order mark: named, and given back without one.
  std::string in = Write("le.txt", Utf16Bytes(kSogou, true));
  Proc p = Run({"--to", "qq", "--input-encoding", "utf-16le", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Utf16Bytes(kQq, true));

  in = Write("be.txt", "\xFE\xFF" + Utf16Bytes(kSogou, false));
  p = Run({"--to", "qq", "--input-encoding", "utf-16be", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "\xFE\xFF" + Utf16Bytes(kQq, false));

  in = Write("gbk.txt", Gb(kSogou));
  p = Run({"--to", "qq", "--input-encoding", "gbk", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(kQq));

  // utf-8-bom names UTF-8 for input too; without a mark in the file, the
  // output gets none.
  in = Write("u8.txt", Utf8Bytes(kSogou));
  p = Run({"--to", "qq", "--input-encoding", "utf-8-bom", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Utf8Bytes(kQq));  // the input had no byte order mark
}

TEST_F(EndToEnd, EveryOutputEncoding) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  const std::pair<const char*, std::string> cases[] = {
      {"utf-8", Utf8Bytes(kQq)},
      {"utf-8-bom", "\xEF\xBB\xBF" + Utf8Bytes(kQq)},
      {"utf-16le", "\xFF\xFE" + Utf16Bytes(kQq, true)},
      {"utf-16be", "\xFE\xFF" + Utf16Bytes(kQq, false)},
      {"gbk", Gb(kQq)},
      {"gb18030", Gb(kQq)},
  };
  for (const auto& [name, expected] : cases) {
    const Proc p = Run({"--to", "qq", "--output-encoding", name, in, "-o", Path("out.txt")});
    EXPECT_EQ(p.status, 0) << name << ": " << p.err;
    EXPECT_EQ(ReadFile(Path("out.txt")), expected) << name;
  }
}

TEST_F(EndToEnd, Utf16SurrogatePairs) {
  const std::u16string sogou = u"xl,1=😀笑\r\nzi,2=𠀀𪚥\r\n";
  const std::u16string qq = u"xl=1,😀笑\r\nzi=2,𠀀𪚥\r\n";
  const std::string in = Write("le.txt", "\xFF\xFE" + Utf16Bytes(sogou, true));
  Proc p = Run({"--to", "qq", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, "\xFF\xFE" + Utf16Bytes(qq, true));
  p = Run({"--to", "qq", in, "--output-encoding", "gb18030"});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(qq));
  p = Run({"--to", "qq", in, "--output-encoding", "utf-8"});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Utf8Bytes(qq));
}

TEST_F(EndToEnd, GbkOutputRefusesCharactersOutsideGbk) {
  const std::string in =
      Write("le.txt", "\xFF\xFE" + Utf16Bytes(u"bj,1=北京\r\nzi,2=字𠀀\r\nxl,3=😀\r\n", true));
  const std::string out = Write("out.txt", "previous content\r\n");
  const auto before = Listing();
  const Proc p = Run({"--to", "qq", in, "--output-encoding", "gbk", "-o", out});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("U+20000"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("line 2"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("le.txt"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("GBK"), std::string::npos) << p.err;
  EXPECT_EQ(ReadFile(out), "previous content\r\n");
  EXPECT_EQ(Listing(), before);
  // To standard output: nothing at all.
  const Proc q = Run({"--to", "qq", in, "--output-encoding", "gbk"});
  EXPECT_EQ(q.status, 3);
  EXPECT_EQ(q.out, "");
}

TEST_F(EndToEnd, LineFeedsAndMixedLineBreaksBecomeCrLf) {
  const std::string in = Write("lf.txt", Gb(u"dz,1=北京\nab,2=x=y\r\nsh,3=上海\n"));
  const Proc p = Run({"--to", "qq", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(p.out, Gb(u"dz=1,北京\r\nab=2,x=y\r\nsh=3,上海\r\n"));
  const std::string utf8 = Write("lf8.txt", Utf8Bytes(u"dz,1=北京\nsh,3=上海"));
  const Proc q = Run({"--to", "qq", utf8});
  EXPECT_EQ(q.status, 0) << q.err;
  EXPECT_EQ(q.out, Utf8Bytes(u"dz=1,北京\r\nsh=3,上海\r\n"));
}

TEST_F(EndToEnd, HelpAndVersion) {
  Proc p = Run({"--help"});
  EXPECT_EQ(p.status, 0);
  EXPECT_NE(p.out.find("--to qq"), std::string::npos);
  EXPECT_NE(p.out.find("--to sogou"), std::string::npos);
  p = Run({"--version"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out.rfind("marvoset-convert ", 0), 0u) << p.out;
}

TEST_F(EndToEnd, ExitOneForAListOfTheOtherKind) {
  const std::string in = Write("qq.txt", Gb(kQq));
  const Proc p = Run({"--to", "qq", in, "-o", Path("out.txt")});
  EXPECT_EQ(p.status, 1);
  EXPECT_NE(p.err.find("qq.txt"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("not a Sogou Pinyin list"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("--to sogou"), std::string::npos) << p.err;
  EXPECT_FALSE(std::filesystem::exists(Path("out.txt")));
}

TEST_F(EndToEnd, ExitOneForEmptyInputAndForText) {
  Proc p = Run({"--to", "qq", Write("empty.txt", "")});
  EXPECT_EQ(p.status, 1);
  p = Run({"--to", "sogou", Write("text.txt", "just some text\r\n")});
  EXPECT_EQ(p.status, 1);
  EXPECT_NE(p.err.find("not a QQ Pinyin list"), std::string::npos) << p.err;
  EXPECT_EQ(p.err.find("--to qq"), std::string::npos) << p.err;  // no suggestion
}

TEST_F(EndToEnd, ExitTwoForUsageErrors) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--bogus", "--to", "qq", in},
           {in},
           {"--to", "qq", in, in},
           {"--to", "pinyin", in},
           {"--to", "qq", "--output-encoding", "latin1", in},
       }) {
    const Proc p = Run(args);
    EXPECT_EQ(p.status, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(p.out, "");
    EXPECT_FALSE(p.err.empty());
  }
}

TEST_F(EndToEnd, ExitThreeForInputErrors) {
  Proc p = Run({"--to", "qq", Path("missing.txt")});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("missing.txt"), std::string::npos) << p.err;

  p = Run({"--to", "qq", dir_.path().string()});  // a directory
  EXPECT_EQ(p.status, 3);

  // Invalid GB18030: line 2, byte offset 14 (the stray 0xFF).
  const std::string bad = Write("bad.txt", Gb(u"dz,1=北\r\n") +
                                               "ab,2=\xFF"
                                               "x\r\n");
  p = Run({"--to", "qq", bad});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("bad.txt"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("line 2"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("byte offset 14"), std::string::npos) << p.err;
  EXPECT_EQ(p.out, "");

  // Invalid UTF-8 when UTF-8 is named; the offset counts the byte order mark.
  const std::string bad8 = Write("bad8.txt",
                                 "\xEF\xBB\xBF"
                                 "a,1=b\r\nc,2=\xC3(\r\n");
  p = Run({"--to", "qq", "--input-encoding", "utf-8", bad8});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("line 2, byte offset 14"), std::string::npos) << p.err;

  // A lone surrogate in UTF-16.
  const std::string bad16 =
      Write("bad16.txt",
            "\xFF\xFE" + Utf16Bytes(std::u16string(u"a,1=b\r\nc,2=") + char16_t{0xDC00}, true));
  p = Run({"--to", "qq", bad16});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("UTF-16LE"), std::string::npos) << p.err;
  EXPECT_NE(p.err.find("line 2"), std::string::npos) << p.err;

  // A missing merge file is named.
  p = Run({"--to", "qq", Write("ok.txt", Gb(kSogou)), "--merge", Path("nomerge.txt")});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("nomerge.txt"), std::string::npos) << p.err;
}

TEST_F(EndToEnd, ExitThreeForOutputErrors) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  Proc p = Run({"--to", "qq", in, "-o", Path("no-such-dir/out.txt")});
  EXPECT_EQ(p.status, 3);
  EXPECT_NE(p.err.find("no-such-dir/out.txt"), std::string::npos) << p.err;
  p = Run({"--to", "qq", in, "-o", dir_.path().string()});
  EXPECT_EQ(p.status, 3);
}

TEST_F(EndToEnd, ExistingOutputSurvivesEveryFailedRun) {
  const std::string out = Write("out.txt", "precious\r\n");
  const std::string qq = Write("qq.txt", Gb(kQq));
  const std::string bad = Write("bad.txt", "dz,1=\x80\r\n");
  const auto before = Listing();
  EXPECT_EQ(Run({"--to", "qq", qq, "-o", out}).status, 1);
  EXPECT_EQ(Run({"--to", "qq", bad, "-o", out}).status, 3);
  EXPECT_EQ(Run({"--to", "qq", Path("missing.txt"), "-o", out}).status, 3);
  EXPECT_EQ(Run({"--to", "qq", "--bogus", qq, "-o", out}).status, 2);
  EXPECT_EQ(ReadFile(out), "precious\r\n");
  EXPECT_EQ(Listing(), before);  // no temporary file left behind
}

TEST_F(EndToEnd, SuccessReplacesTheWholeFileAndKeepsNoTemporary) {
  const std::string in = Write("sogou.txt", Gb(kSogou));
  const std::string out = Write("out.txt", std::string(100000, 'x'));
  const auto before = Listing();
  const Proc p = Run({"--to", "qq", in, "-o", out});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(ReadFile(out), Gb(kQq));
  EXPECT_EQ(Listing(), before);
}

TEST_F(EndToEnd, OutputMayBeTheInputFile) {
  const std::string in = Write("list.txt", Gb(kSogou));
  const Proc p = Run({"--to", "qq", in, "-o", in});
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(ReadFile(in), Gb(kQq));
}

struct HostileCase {
  const char* name;
  std::string input;
  int status;  // 0: converted; otherwise the output file stays as it was
};

// Hostile input: each gives a converted result or a clear error and exit
// status, never a crash, a hang or a changed output file.
TEST_F(EndToEnd, HostileInput) {
  const std::string big_phrase(50u << 20, 'x');
  const std::string bom16 = "\xFF\xFE";
  std::string two_digits;
  for (int i = 0; i < 1000; ++i) two_digits += "k" + std::to_string(i) + ",12=v\r\n";
  const HostileCase cases[] = {
      {"a single 50 MB line", "k,1=" + big_phrase, 0},
      {"NUL bytes", std::string(1u << 20, '\0'), 1},
      {"UTF-16 cut to an odd byte count", bom16 + Utf16Bytes(u"a,1=b\r\n", true) + "c", 3},
      {"UTF-16 with a lone surrogate", bom16 + Utf16Bytes(u"a,1=b\xD800\r\n", true), 3},
      {"GB18030 with a lone lead byte at the end", Gb(u"a,1=北京") + "\xD6", 3},
      {"every key with a two-digit position", two_digits, 1},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string in = Write("hostile.txt", c.input);
    const std::string out = Write("out.txt", "precious\r\n");
    const Proc p = Run({"--to", "qq", in, "-o", out});
    EXPECT_EQ(p.status, c.status) << p.err;
    if (c.status == 0) {
      EXPECT_EQ(ReadFile(out), ConvertSogouToQq(c.input));
    } else {
      EXPECT_EQ(ReadFile(out), "precious\r\n");
      EXPECT_NE(p.err.find("hostile.txt"), std::string::npos) << p.err;
    }
  }
}

}  // namespace
}  // namespace marvoset
