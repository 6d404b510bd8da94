// Win32CommandHost: the commands' view of the native window and of Windows.
//
// Box operations go to MainWindow. The clipboard gets the text as
// CF_UNICODETEXT (Windows derives CF_TEXT, the ANSI bytes, from it); a write
// counts as failed when the clipboard cannot be opened or does not take the
// data. Messages are task-modal MessageBoxW boxes without an owner.
#pragma once

#include "app/commands.h"
#include "windows/main_window.h"

namespace marvoset {

class Win32CommandHost : public CommandHost {
 public:
  explicit Win32CommandHost(MainWindow& window) : window_(window) {}

  Text GetBoxText(Box box) override { return window_.GetBoxText(box); }
  void SetBoxText(Box box, std::string_view text) override { window_.SetBoxText(box, text); }
  void SetResultText(std::string_view text) override { window_.SetResultText(text); }
  int GetMergeState() override { return window_.GetMergeState(); }
  bool PutOnClipboard(std::string_view text) override;
  void ShowMessage(const Message& message) override;

 private:
  MainWindow& window_;
};

// UTF-8 to UTF-16, for the program's own texts.
std::wstring WideFromUtf8(std::string_view text);

}  // namespace marvoset
