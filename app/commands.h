// The two conversion commands behind the window's buttons.
//
// The commands are plain C++ with no toolkit in sight: they reach the boxes,
// the merge check box, the clipboard and the message boxes only through
// CommandHost, so the window, a test fake or another front end can drive
// them. Box texts cross this interface as GB18030 bytes with CR LF line
// breaks; message texts are UTF-8. A command either converts and delivers
// (box or result box, then clipboard, then one message) or reports one error
// and changes nothing.
#pragma once

#include <string_view>

#include "convert/text_ops.h"

namespace marvoset {

// The two rich text boxes of the main window.
enum class Box {
  kQq,     // 超级编辑框1, left: the QQ Pinyin list
  kSogou,  // 超级编辑框2, right: the Sogou Pinyin list
};

enum class MessageIcon { kNone, kStop };

struct Message {
  MessageIcon icon;
  std::string_view title;  // UTF-8
  std::string_view text;   // UTF-8
};

// Program texts (UTF-8).
inline constexpr std::string_view kErrorTitle = "错误：";
inline constexpr std::string_view kInformationTitle = "信息：";
inline constexpr std::string_view kCopiedText = "已复制，粘贴即可。";
inline constexpr std::string_view kNotSogouListText =
    "不是搜狗拼音自定义短语或者内容还未导入,请导入！";
inline constexpr std::string_view kNotQqListText = "不是QQ拼音自定义短语或者内容还未导入,请导入！";
inline constexpr std::string_view kClipboardFailedText = "未能放到剪贴板上，请从文本框中手动复制。";

// What a command needs from the window and the platform.
class CommandHost {
 public:
  virtual ~CommandHost() = default;

  // The whole content of a rich text box; "" when it is empty.
  virtual Text GetBoxText(Box box) = 0;
  // Replaces the whole content of a rich text box.
  virtual void SetBoxText(Box box, std::string_view text) = 0;
  // Replaces the whole content of the result box 编辑框3.
  virtual void SetResultText(std::string_view text) = 0;
  // 1 when the merge check box 选择框1 is ticked, otherwise 0.
  virtual int GetMergeState() = 0;
  // Puts the text on the clipboard as plain text. False only when the
  // platform can tell that it did not arrive there.
  virtual bool PutOnClipboard(std::string_view text) = 0;
  // Shows a modal message box with an OK button and waits until it is closed.
  virtual void ShowMessage(const Message& message) = 0;
};

// 按钮1 "搜狗转QQ拼音": converts the right box (Sogou) into the QQ format.
void OnSogouToQq(CommandHost& host);
// 按钮2 "QQ拼音转搜狗": converts the left box (QQ) into the Sogou format.
void OnQqToSogou(CommandHost& host);

}  // namespace marvoset
