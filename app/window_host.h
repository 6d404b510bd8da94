// WindowCommandHost: the commands' view of the main window and the platform.
//
// Box operations go to the MainWindow; the clipboard is Qt's, as plain text,
// and a write counts as failed when the clipboard does not hold the text
// afterwards; messages are application-modal QMessageBoxes without an owner.
// ShowMessage is virtual so that a harness can answer messages itself.
#pragma once

#include "app/commands.h"

namespace marvoset {

class MainWindow;

class WindowCommandHost : public CommandHost {
 public:
  explicit WindowCommandHost(MainWindow& window) : window_(window) {}

  Text GetBoxText(Box box) override;
  void SetBoxText(Box box, std::string_view text) override;
  void SetResultText(std::string_view text) override;
  int GetMergeState() override;
  bool PutOnClipboard(std::string_view text) override;
  void ShowMessage(const Message& message) override;

 private:
  MainWindow& window_;
};

}  // namespace marvoset
