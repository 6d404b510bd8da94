#include "app/main_window.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QWindow>

#include "app/box_text.h"

namespace marvoset {
namespace {

const QColor kLabelColour(255, 80, 128);

// "宋体" where it exists, otherwise an installed CJK face.
QStringList CjkFamilies() {
  return {QStringLiteral("宋体"),
          QStringLiteral("SimSun"),
          QStringLiteral("NSimSun"),
          QStringLiteral("WenQuanYi Micro Hei"),
          QStringLiteral("Noto Sans CJK SC"),
          QStringLiteral("Noto Serif CJK SC"),
          QStringLiteral("AR PL UMing CN")};
}

QFont BoxFont() {
  QFont font;
  font.setFamilies(CjkFamilies());
  font.setPointSize(9);
  return font;
}

QFont ResultLabelFont() {
  QFont font;
  font.setFamilies(CjkFamilies());
  font.setPixelSize(12);
  font.setWeight(QFont::Bold);
  return font;
}

// The selection is not shown while the box lacks the focus.
void HideInactiveSelection(QWidget* box) {
  QPalette palette = box->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Inactive, QPalette::Base));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Inactive, QPalette::Text));
  box->setPalette(palette);
}

QTextEdit* MakeRichBox(QWidget* parent, const QString& name, QRect place) {
  auto* box = new QTextEdit(parent);
  box->setObjectName(name);
  box->setGeometry(place);
  box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  box->setAcceptRichText(true);
  box->setLineWrapMode(QTextEdit::WidgetWidth);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setTabChangesFocus(true);
  const QFont font = BoxFont();
  box->setFont(font);
  box->document()->setDefaultFont(font);
  box->setCurrentFont(font);
  box->document()->setUndoRedoEnabled(true);
  HideInactiveSelection(box);
  box->document()->setModified(false);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect place, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(place);
  label->setAutoFillBackground(false);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(false);
  label->setTextFormat(Qt::PlainText);
  label->setFocusPolicy(Qt::NoFocus);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kLabelColour);
  label->setPalette(palette);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, QRect place, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(place);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

bool NoModifiers(const QKeyEvent& key) {
  return (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      host_(*this) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Marvoset"));
  setWindowIcon(QIcon(QStringLiteral(":/marvoset/marvoset.svg")));
  setFixedSize(kOuterWidth, kOuterHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(CentredPlace(screen->geometry().size()));
  }

  // Created in stacking order from the bottom up, so that row 1 ends on top.
  to_qq_ = MakeButton(this, QStringLiteral("按钮1"), {304, 444, 112, 24},
                      QStringLiteral("搜狗转QQ拼音"));
  to_sogou_ = MakeButton(this, QStringLiteral("按钮2"), {160, 444, 112, 24},
                         QStringLiteral("QQ拼音转搜狗"));
  MakeLabel(this, QStringLiteral("透明标签1"), {10, 0, 120, 24}, QStringLiteral("QQ拼音   ↓"));
  MakeLabel(this, QStringLiteral("透明标签2"), {301, 0, 120, 24}, QStringLiteral("搜狗拼音   ↓"));

  merge_ = new QCheckBox(QStringLiteral("合并"), this);
  merge_->setObjectName(QStringLiteral("选择框1"));
  merge_->setGeometry(52, 451, 72, 16);
  merge_->setTristate(false);
  merge_->setChecked(false);
  merge_->setFocusPolicy(Qt::StrongFocus);

  result_ = new QPlainTextEdit(this);
  result_->setObjectName(QStringLiteral("编辑框3"));
  result_->setGeometry(8, 490, 576, 120);
  result_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  result_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  result_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  result_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  result_->setTabChangesFocus(true);
  {
    QPalette palette = result_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
      palette.setColor(group, QPalette::Base, Qt::white);
      palette.setColor(group, QPalette::Text, Qt::black);
    }
    result_->setPalette(palette);
  }
  HideInactiveSelection(result_);

  QLabel* result_label = MakeLabel(this, QStringLiteral("透明标签3"), {248, 472, 88, 16},
                                   QStringLiteral("返回结果   ↓"));
  result_label->setFont(ResultLabelFont());

  qq_box_ = MakeRichBox(this, QStringLiteral("超级编辑框1"), {7, 21, 287, 416});
  sogou_box_ = MakeRichBox(this, QStringLiteral("超级编辑框2"), {298, 21, 287, 416});

  focus_stops_ = {to_qq_, to_sogou_, merge_, result_, qq_box_, sogou_box_};
  for (std::size_t i = 0; i + 1 < focus_stops_.size(); ++i) {
    setTabOrder(focus_stops_[i], focus_stops_[i + 1]);
  }
  for (QWidget* stop : focus_stops_) stop->installEventFilter(this);

  connect(to_qq_, &QPushButton::clicked, this, &MainWindow::OnSogouToQq);
  connect(to_sogou_, &QPushButton::clicked, this, &MainWindow::OnQqToSogou);

  to_qq_->setFocus(Qt::OtherFocusReason);
}

QPoint MainWindow::CentredPlace(QSize screen) {
  return {(screen.width() - kOuterWidth) / 2, (screen.height() - kOuterHeight) / 2};
}

QTextEdit* MainWindow::BoxWidget(Box box) const { return box == Box::kQq ? qq_box_ : sogou_box_; }

Text MainWindow::GetBoxText(Box box) const { return ReadDocumentText(*BoxWidget(box)->document()); }

void MainWindow::SetBoxText(Box box, std::string_view text) {
  BoxWidget(box)->setPlainText(ToPlainBoxText(text));
}

void MainWindow::SetResultText(std::string_view text) {
  result_->setPlainText(ToPlainBoxText(text));
}

int MainWindow::GetMergeState() const { return merge_->isChecked() ? 1 : 0; }

void MainWindow::OnSogouToQq() { marvoset::OnSogouToQq(host_); }

void MainWindow::OnQqToSogou() { marvoset::OnQqToSogou(host_); }

void MainWindow::MoveFocus(bool forward) {
  const auto count = static_cast<int>(focus_stops_.size());
  int current = -1;
  for (int i = 0; i < count; ++i) {
    if (focus_stops_[i]->hasFocus()) current = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int from = current < 0 ? (forward ? -1 : 0) : current;
    const int next = ((from + (forward ? step : -step)) % count + count) % count;
    QWidget* stop = focus_stops_[next];
    if (stop->isVisible() && stop->isEnabled()) {
      stop->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
      return;
    }
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Tab && mods == Qt::NoModifier) {
      MoveFocus(true);
      return true;
    }
    if ((key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab) && mods == Qt::ShiftModifier) {
      MoveFocus(false);
      return true;
    }
    if (key.key() == Qt::Key_Escape && NoModifiers(key)) {
      close();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
      FitFrame();
      break;
    case QEvent::KeyPress: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      if (key.key() == Qt::Key_Escape && NoModifiers(key)) close();
      break;
    }
    default:
      break;
  }
  return handled;
}

// The window manager adds its frame only after the window is shown. Once its
// margins are known (and whenever they change), the client size is set so
// that the frame measures 600 x 650, and the frame is centred again.
void MainWindow::FitFrame() {
  if (!isVisible() || windowHandle() == nullptr) return;
  const QMargins margins = windowHandle()->frameMargins();
  if (placed_ && margins == margins_) return;
  placed_ = true;
  margins_ = margins;
  const QSize client(kOuterWidth - margins.left() - margins.right(),
                     kOuterHeight - margins.top() - margins.bottom());
  if (client.isValid() && client != size()) setFixedSize(client);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QPoint place = CentredPlace(screen->geometry().size());
    if (frameGeometry().topLeft() != place) move(place);
  }
}

}  // namespace marvoset
