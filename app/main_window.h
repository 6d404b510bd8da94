// MainWindow: the program's one window, with its nine controls.
//
// The window keeps a fixed outer size of 600 x 650 (frame included, once the
// window manager's frame is known), centred on the primary screen. It owns
// the focus order (按钮1, 按钮2, 选择框1, 编辑框3, 超级编辑框1, 超级编辑框2),
// takes Tab, Shift+Tab and Esc before any control does, and binds the two
// buttons to the conversion commands. GetBoxText, SetBoxText, SetResultText
// and GetMergeState are the window's side of the command interface.
#pragma once

#include <QMargins>
#include <QWidget>
#include <array>
#include <string_view>

#include "app/commands.h"
#include "app/window_host.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace marvoset {

inline constexpr int kOuterWidth = 600;
inline constexpr int kOuterHeight = 650;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

  Text GetBoxText(Box box) const;
  void SetBoxText(Box box, std::string_view text);
  void SetResultText(std::string_view text);
  int GetMergeState() const;

  // The commands as the buttons run them.
  void OnSogouToQq();
  void OnQqToSogou();

  // The left-top corner of the frame for a centred window on a screen of
  // the given size (divisions truncate toward zero).
  static QPoint CentredPlace(QSize screen);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QTextEdit* BoxWidget(Box box) const;
  void MoveFocus(bool forward);
  void FitFrame();

  QTextEdit* qq_box_;       // 超级编辑框1
  QTextEdit* sogou_box_;    // 超级编辑框2
  QPlainTextEdit* result_;  // 编辑框3
  QCheckBox* merge_;        // 选择框1
  QPushButton* to_qq_;      // 按钮1
  QPushButton* to_sogou_;   // 按钮2
  std::array<QWidget*, 6> focus_stops_{};
  WindowCommandHost host_;
  bool placed_ = false;
  QMargins margins_;
};

}  // namespace marvoset
