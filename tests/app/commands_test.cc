// The conversion commands against a fake window: what each click writes,
// puts on the clipboard and says, and in which order.
#include "app/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "convert/codec.h"
#include "convert/converter.h"

namespace marvoset {
namespace {

// UTF-8 test literal -> GB18030 text as the boxes deliver it.
Text Gb(std::u16string_view units) { return Utf16ToGb18030(units); }

struct ShownMessage {
  MessageIcon icon;
  std::string title;
  std::string text;
};

class FakeHost : public CommandHost {
 public:
  Text GetBoxText(Box box) override {
    log.push_back(box == Box::kQq ? "get qq" : "get sogou");
    return boxes[box];
  }
  void SetBoxText(Box box, std::string_view text) override {
    log.push_back(box == Box::kQq ? "set qq" : "set sogou");
    boxes[box] = Text(text);
  }
  void SetResultText(std::string_view text) override {
    log.push_back("set result");
    result = Text(text);
  }
  int GetMergeState() override {
    log.push_back("merge state");
    return merge;
  }
  bool PutOnClipboard(std::string_view text) override {
    log.push_back("clipboard");
    if (clipboard_works) clipboard = Text(text);
    return clipboard_works;
  }
  void ShowMessage(const Message& message) override {
    log.push_back("message");
    messages.push_back({message.icon, std::string(message.title), std::string(message.text)});
  }

  std::map<Box, Text> boxes{{Box::kQq, ""}, {Box::kSogou, ""}};
  Text result = "untouched result";
  std::optional<Text> clipboard;
  bool clipboard_works = true;
  int merge = 0;
  std::vector<std::string> log;
  std::vector<ShownMessage> messages;
};

using Command = void (*)(CommandHost&);

struct DirectionCase {
  const char* name;
  Command command;
  Box source;
  Box opposite;
  Text source_list;     // a valid list in the source format
  Text converted_list;  // what the converter makes of it
  std::string_view separator;
  std::string_view error_text;
};

std::vector<DirectionCase> Directions() {
  return {
      {"SogouToQq", &OnSogouToQq, Box::kSogou, Box::kQq,
       Gb(u"dz,1=北京市海淀区\r\nyx,2=me@example.com"),
       Gb(u"dz=1,北京市海淀区\r\nyx=2,me@example.com\r\n"), kSogouToQqRule.merge_separator,
       kNotSogouListText},
      {"QqToSogou", &OnQqToSogou, Box::kQq, Box::kSogou, Gb(u"dz=1,北京市海淀区\r\nsj=3,😀 𠀀"),
       Gb(u"dz,1=北京市海淀区\r\nsj,3=😀 𠀀\r\n"), kQqToSogouRule.merge_separator, kNotQqListText},
  };
}

class DirectionTest : public ::testing::TestWithParam<DirectionCase> {
 protected:
  FakeHost host_;
};

TEST_P(DirectionTest, ReplacesOppositeBoxCopiesAndConfirms) {
  const DirectionCase& c = GetParam();
  host_.boxes[c.source] = c.source_list;
  host_.boxes[c.opposite] = "previous content";
  c.command(host_);
  EXPECT_EQ(host_.boxes[c.opposite], c.converted_list);
  EXPECT_EQ(host_.boxes[c.source], c.source_list);
  EXPECT_EQ(host_.result, "untouched result");
  EXPECT_EQ(host_.clipboard, c.converted_list);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kNone);
  EXPECT_EQ(host_.messages[0].title, "信息：");
  EXPECT_EQ(host_.messages[0].text, "已复制，粘贴即可。");
}

TEST_P(DirectionTest, MergeWritesResultWithSeparatorAndOppositeList) {
  const DirectionCase& c = GetParam();
  for (const Text& opposite : {Text(), Gb(u"old,1=旧\r\n"), Gb(u"no final break")}) {
    SCOPED_TRACE(opposite);
    FakeHost host;
    host.merge = 1;
    host.boxes[c.source] = c.source_list;
    host.boxes[c.opposite] = opposite;
    c.command(host);
    const Text expected = c.converted_list + Text(c.separator) + opposite;
    EXPECT_EQ(host.result, expected);
    EXPECT_EQ(host.clipboard, expected);
    EXPECT_EQ(host.boxes[c.source], c.source_list);
    EXPECT_EQ(host.boxes[c.opposite], opposite);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "已复制，粘贴即可。");
  }
}

// Not a list of the source kind: the same error in both modes, and nothing
// written, copied or confirmed.
TEST_P(DirectionTest, RejectsSourceThatIsNotAList) {
  const DirectionCase& c = GetParam();
  // The opposite format, plain prose and an empty box.
  const Text wrong_kind = c.converted_list;
  for (const int merge : {0, 1}) {
    for (const Text& source : {Text(), Gb(u"只是一段文字"), wrong_kind}) {
      SCOPED_TRACE(::testing::Message() << "merge " << merge << " source " << source);
      FakeHost host;
      host.merge = merge;
      host.boxes[c.source] = source;
      host.boxes[c.opposite] = "opposite";
      host.clipboard = "earlier clipboard";
      c.command(host);
      EXPECT_EQ(host.boxes[c.opposite], "opposite");
      EXPECT_EQ(host.boxes[c.source], source);
      EXPECT_EQ(host.result, "untouched result");
      EXPECT_EQ(host.clipboard, "earlier clipboard");
      ASSERT_EQ(host.messages.size(), 1u);
      EXPECT_EQ(host.messages[0].icon, MessageIcon::kStop);
      EXPECT_EQ(host.messages[0].title, "错误：");
      EXPECT_EQ(host.messages[0].text, c.error_text);
      EXPECT_EQ(host.log.back(), "message");
    }
  }
}

TEST_P(DirectionTest, ClipboardFailureIsReportedAndResultStays) {
  const DirectionCase& c = GetParam();
  for (const int merge : {0, 1}) {
    SCOPED_TRACE(merge);
    FakeHost host;
    host.merge = merge;
    host.clipboard_works = false;
    host.boxes[c.source] = c.source_list;
    c.command(host);
    if (merge == 1) {
      EXPECT_EQ(host.result, c.converted_list + Text(c.separator));
    } else {
      EXPECT_EQ(host.boxes[c.opposite], c.converted_list);
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].icon, MessageIcon::kStop);
    EXPECT_EQ(host.messages[0].title, "错误：");
    EXPECT_EQ(host.messages[0].text, kClipboardFailedText);
  }
}

TEST_P(DirectionTest, StepsRunInOrder) {
  const DirectionCase& c = GetParam();
  const std::string source = c.source == Box::kQq ? "qq" : "sogou";
  const std::string opposite = c.opposite == Box::kQq ? "qq" : "sogou";

  host_.boxes[c.source] = c.source_list;
  c.command(host_);
  EXPECT_EQ(host_.log, (std::vector<std::string>{"merge state", "get " + source, "set " + opposite,
                                                 "clipboard", "message"}));

  FakeHost merging;
  merging.merge = 1;
  merging.boxes[c.source] = c.source_list;
  c.command(merging);
  EXPECT_EQ(merging.log,
            (std::vector<std::string>{"merge state", "get " + source, "get " + opposite,
                                      "set result", "clipboard", "message"}));
}

TEST_P(DirectionTest, EachClickUsesCurrentContent) {
  const DirectionCase& c = GetParam();
  host_.boxes[c.source] = c.source_list;
  c.command(host_);
  host_.boxes[c.source] = c.source_list + "\r\n" + c.source_list;
  c.command(host_);
  EXPECT_EQ(host_.boxes[c.opposite], c.converted_list + c.converted_list);
  EXPECT_EQ(host_.messages.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Commands, DirectionTest, ::testing::ValuesIn(Directions()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundTripTest, BothDirectionsRestoreAWellFormedList) {
  FakeHost host;
  const Text sogou = Gb(u"dz,1=北京市海淀区\r\nsj,2=2024年 1月\r\nbq,9=😀\u00a0表情\r\n");
  host.boxes[Box::kSogou] = sogou;
  OnSogouToQq(host);
  host.boxes[Box::kSogou] = "";
  OnQqToSogou(host);
  EXPECT_EQ(host.boxes[Box::kSogou], sogou);
}

}  // namespace
}  // namespace marvoset
