// MainWindow of the Windows edition: the native Win32 window with its nine
// controls, built with the Unicode APIs so that Chinese shows whatever the
// system's ANSI code page.
//
// It promises the fixed layout (places, sizes, texts, fonts, colours,
// stacking and focus order), the window's own keys (Tab, Shift+Tab and Esc,
// seen in the message loop before the focused control), focus memory across
// deactivation, and the box operations the commands use: whole-content,
// unlimited, plain GB18030 text with CR LF line breaks.
#pragma once

#include <windows.h>

#include <string_view>

#include "app/commands.h"
#include "convert/text_ops.h"

namespace marvoset {

// Control identifiers, the same as the test driver looks them up by.
enum ControlId : int {
  kIdSogouBox = 101,     // 超级编辑框2
  kIdQqBox = 102,        // 超级编辑框1
  kIdResultLabel = 103,  // 透明标签3
  kIdResultBox = 104,    // 编辑框3
  kIdMergeCheck = 105,   // 选择框1
  kIdSogouLabel = 106,   // 透明标签2
  kIdQqLabel = 107,      // 透明标签1
  kIdQqToSogou = 108,    // 按钮2
  kIdSogouToQq = 109,    // 按钮1
};

inline constexpr wchar_t kMainWindowClass[] = L"MarvosetMainWindow";
inline constexpr wchar_t kMainWindowCaption[] = L"Marvoset";

class MainWindow {
 public:
  MainWindow() = default;
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Builds the window and its controls and shows it with the focus on 按钮1.
  // False when the window or a control cannot be created.
  bool Create(HINSTANCE instance);

  // Handles Tab, Shift+Tab and Esc for this window and its controls before
  // they reach the focused control. True when the message was consumed.
  bool PreTranslate(const MSG& msg);

  // The commands that the two buttons run go through `host`.
  void SetCommandHost(CommandHost* host) { host_ = host; }

  Text GetBoxText(Box box) const;
  void SetBoxText(Box box, std::string_view text);
  void SetResultText(std::string_view text);
  int GetMergeState() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool CreateControls();
  void MoveFocus(int step);
  HWND BoxHandle(Box box) const;

  HWND hwnd_ = nullptr;
  HWND controls_[9] = {};     // in stacking order, row 1 first
  HWND focus_stops_[6] = {};  // in focus order, 按钮1 first
  HWND focus_memory_ = nullptr;
  HFONT gui_font_ = nullptr;
  HFONT label_font_ = nullptr;
  HBRUSH face_brush_ = nullptr;
  CommandHost* host_ = nullptr;
};

}  // namespace marvoset
