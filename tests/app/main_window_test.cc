// The main window driven through its real widgets on the offscreen platform:
// layout, focus and keys, both commands in both modes, the clipboard and
// the box boundary.
#include "app/main_window.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <memory>

#include "app/box_text.h"
#include "message_box_answerer.h"

namespace marvoset {
namespace {

QString FromGb(const Text& text) { return ToQString(text); }

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void controlsAreLaidOut_data();
  void controlsAreLaidOut();
  void stackingPutsRichBoxesOverLabels();
  void labelsAreRedWithoutBackground();
  void windowIsFixedAndCentred();
  void centredPlaceTruncatesTowardZero_data();
  void centredPlaceTruncatesTowardZero();
  void startsEmptyWithFocusOnFirstButton();

  void tabVisitsFocusStopsInOrder_data();
  void tabVisitsFocusStopsInOrder();
  void tabNeverInsertsIntoBoxes_data();
  void tabNeverInsertsIntoBoxes();
  void escapeClosesFromAnyControl_data();
  void escapeClosesFromAnyControl();
  void enterNeverPressesAButtonSpaceDoes_data();
  void enterNeverPressesAButtonSpaceDoes();
  void checkBoxToggles();
  void focusComesBackAfterDeactivation();

  void commandConverts_data();
  void commandConverts();
  void commandRejectsWhatIsNotAList_data();
  void commandRejectsWhatIsNotAList();
  void roundTripThroughBothBoxes();

  void boxReadsRawText_data();
  void boxReadsRawText();
  void boxWritesLines_data();
  void boxWritesLines();
  void pasteKeepsOneLinePerLine_data();
  void pasteKeepsOneLinePerLine();
  void largeListReadAndWrittenWhole();

 private:
  template <typename T>
  T* Find(const char* name) const {
    auto* widget = window_->findChild<T*>(QString::fromUtf8(name));
    if (widget == nullptr) qFatal("no control named %s", name);
    return widget;
  }
  QTextEdit* QqBox() const { return Find<QTextEdit>("超级编辑框1"); }
  QTextEdit* SogouBox() const { return Find<QTextEdit>("超级编辑框2"); }
  QPlainTextEdit* ResultBox() const { return Find<QPlainTextEdit>("编辑框3"); }
  Text ResultText() const { return ReadDocumentText(*ResultBox()->document()); }
  void Focus(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(widget->hasFocus());
  }

  std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::init() {
  QGuiApplication::clipboard()->setText(QStringLiteral("clipboard before"));
  window_ = std::make_unique<MainWindow>();
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MainWindowTest::cleanup() { window_.reset(); }

void MainWindowTest::controlsAreLaidOut_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QRect>("place");
  QTest::addColumn<QString>("text");
  QTest::newRow("超级编辑框2") << "超级编辑框2"
                               << "QTextEdit" << QRect(298, 21, 287, 416) << "";
  QTest::newRow("超级编辑框1") << "超级编辑框1"
                               << "QTextEdit" << QRect(7, 21, 287, 416) << "";
  QTest::newRow("透明标签3") << "透明标签3"
                             << "QLabel" << QRect(248, 472, 88, 16) << "返回结果   ↓";
  QTest::newRow("编辑框3") << "编辑框3"
                           << "QPlainTextEdit" << QRect(8, 490, 576, 120) << "";
  QTest::newRow("选择框1") << "选择框1"
                           << "QCheckBox" << QRect(52, 451, 72, 16) << "合并";
  QTest::newRow("透明标签2") << "透明标签2"
                             << "QLabel" << QRect(301, 0, 120, 24) << "搜狗拼音   ↓";
  QTest::newRow("透明标签1") << "透明标签1"
                             << "QLabel" << QRect(10, 0, 120, 24) << "QQ拼音   ↓";
  QTest::newRow("按钮2") << "按钮2"
                         << "QPushButton" << QRect(160, 444, 112, 24) << "QQ拼音转搜狗";
  QTest::newRow("按钮1") << "按钮1"
                         << "QPushButton" << QRect(304, 444, 112, 24) << "搜狗转QQ拼音";
}

void MainWindowTest::controlsAreLaidOut() {
  QFETCH(QString, name);
  QFETCH(QString, kind);
  QFETCH(QRect, place);
  QFETCH(QString, text);
  auto* widget = window_->findChild<QWidget*>(name);
  QVERIFY(widget != nullptr);
  QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
  QCOMPARE(widget->parentWidget(), window_.get());
  QCOMPARE(widget->geometry(), place);
  QVERIFY(widget->isVisible());
  QVERIFY(widget->isEnabled());
  QString shown;
  if (auto* label = qobject_cast<QLabel*>(widget)) shown = label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) shown = button->text();
  if (auto* box = qobject_cast<QTextEdit*>(widget)) shown = box->toPlainText();
  if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) shown = box->toPlainText();
  QCOMPARE(shown, text);
  // The controls fit the client area that the outer size leaves.
  QVERIFY(window_->rect().contains(place));
}

void MainWindowTest::stackingPutsRichBoxesOverLabels() {
  // The bottom 3 pixels of the two caption labels lie under the boxes.
  for (const auto& [point, box] :
       {std::pair{QPoint(20, 22), QqBox()}, std::pair{QPoint(310, 23), SogouBox()}}) {
    QWidget* hit = window_->childAt(point);
    QVERIFY(hit != nullptr);
    QVERIFY2(hit == box || box->isAncestorOf(hit), qPrintable(hit->objectName()));
  }
  QCOMPARE(window_->childAt(QPoint(20, 10))->objectName(), QStringLiteral("透明标签1"));
  QCOMPARE(window_->childAt(QPoint(310, 10))->objectName(), QStringLiteral("透明标签2"));
}

void MainWindowTest::labelsAreRedWithoutBackground() {
  for (const char* name : {"透明标签1", "透明标签2", "透明标签3"}) {
    auto* label = Find<QLabel>(name);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 80, 128));
    QVERIFY(!label->autoFillBackground());
    QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
  }
  const QFont font = Find<QLabel>("透明标签3")->font();
  QVERIFY(font.bold());
  QCOMPARE(font.pixelSize(), 12);
  QCOMPARE(font.families().value(0), QStringLiteral("宋体"));
  const QFont box_font = QqBox()->document()->defaultFont();
  QCOMPARE(box_font.families().value(0), QStringLiteral("宋体"));
  QCOMPARE(box_font.pointSize(), 9);
}

void MainWindowTest::windowIsFixedAndCentred() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("Marvoset"));
  QCOMPARE(window_->frameGeometry().size(), QSize(kOuterWidth, kOuterHeight));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
  const Qt::WindowFlags flags = window_->windowFlags();
  QVERIFY(flags & Qt::WindowCloseButtonHint);
  QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  QVERIFY(!window_->windowIcon().isNull());
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  QCOMPARE(window_->frameGeometry().topLeft(), MainWindow::CentredPlace(screen));
}

void MainWindowTest::centredPlaceTruncatesTowardZero_data() {
  QTest::addColumn<QSize>("screen");
  QTest::addColumn<QPoint>("place");
  QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(660, 215);
  QTest::newRow("odd remainder") << QSize(1281, 1025) << QPoint(340, 187);
  QTest::newRow("590 wide") << QSize(590, 640) << QPoint(-5, -5);
  QTest::newRow("599 wide") << QSize(599, 649) << QPoint(0, 0);
}

void MainWindowTest::centredPlaceTruncatesTowardZero() {
  QFETCH(QSize, screen);
  QFETCH(QPoint, place);
  QCOMPARE(MainWindow::CentredPlace(screen), place);
}

void MainWindowTest::startsEmptyWithFocusOnFirstButton() {
  QCOMPARE(QApplication::focusWidget(), Find<QWidget>("按钮1"));
  QCOMPARE(window_->GetBoxText(Box::kQq), Text());
  QCOMPARE(window_->GetBoxText(Box::kSogou), Text());
  QCOMPARE(ResultText(), Text());
  QCOMPARE(window_->GetMergeState(), 0);
  QVERIFY(!Find<QPushButton>("按钮1")->isDefault());
  QVERIFY(!Find<QPushButton>("按钮1")->autoDefault());
}

void MainWindowTest::tabVisitsFocusStopsInOrder_data() {
  QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
  QTest::addColumn<QStringList>("visited");
  QTest::newRow("Tab") << Qt::KeyboardModifiers(Qt::NoModifier)
                       << QStringList{"按钮2",       "选择框1",     "编辑框3",
                                      "超级编辑框1", "超级编辑框2", "按钮1"};
  QTest::newRow("Shift+Tab") << Qt::KeyboardModifiers(Qt::ShiftModifier)
                             << QStringList{"超级编辑框2", "超级编辑框1", "编辑框3",
                                            "选择框1",     "按钮2",       "按钮1"};
}

void MainWindowTest::tabVisitsFocusStopsInOrder() {
  QFETCH(Qt::KeyboardModifiers, modifiers);
  QFETCH(QStringList, visited);
  for (const QString& name : visited) {
    const Qt::Key key = modifiers == Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab;
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCOMPARE(QApplication::focusWidget()->objectName(), name);
  }
  QCOMPARE(window_->GetBoxText(Box::kQq), Text());
  QCOMPARE(window_->GetBoxText(Box::kSogou), Text());
  QCOMPARE(ResultText(), Text());
}

void MainWindowTest::tabNeverInsertsIntoBoxes_data() {
  QTest::addColumn<QString>("box");
  QTest::addColumn<QString>("next");
  QTest::newRow("超级编辑框1") << "超级编辑框1"
                               << "超级编辑框2";
  QTest::newRow("超级编辑框2") << "超级编辑框2"
                               << "按钮1";
  QTest::newRow("编辑框3") << "编辑框3"
                           << "超级编辑框1";
}

void MainWindowTest::tabNeverInsertsIntoBoxes() {
  QFETCH(QString, box);
  QFETCH(QString, next);
  auto* widget = window_->findChild<QWidget*>(box);
  if (auto* rich = qobject_cast<QTextEdit*>(widget)) rich->setPlainText(QStringLiteral("ab"));
  if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) plain->setPlainText("ab");
  Focus(widget);
  QTest::keyClick(widget, Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget()->objectName(), next);
  const QTextDocument* document = qobject_cast<QTextEdit*>(widget)
                                      ? qobject_cast<QTextEdit*>(widget)->document()
                                      : qobject_cast<QPlainTextEdit*>(widget)->document();
  QCOMPARE(ReadDocumentText(*document), Text("ab"));
}

void MainWindowTest::escapeClosesFromAnyControl_data() {
  QTest::addColumn<QString>("control");
  for (const char* name : {"按钮1", "按钮2", "选择框1", "编辑框3", "超级编辑框1", "超级编辑框2"}) {
    QTest::newRow(name) << QString::fromUtf8(name);
  }
}

void MainWindowTest::escapeClosesFromAnyControl() {
  QFETCH(QString, control);
  auto* widget = window_->findChild<QWidget*>(control);
  Focus(widget);
  QTest::keyClicks(widget, QStringLiteral("x"));
  QTest::keyClick(widget, Qt::Key_Escape);
  QVERIFY(!window_->isVisible());
}

void MainWindowTest::enterNeverPressesAButtonSpaceDoes_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("error");
  QTest::newRow("按钮1") << "按钮1"
                         << "不是搜狗拼音自定义短语或者内容还未导入,请导入！";
  QTest::newRow("按钮2") << "按钮2"
                         << "不是QQ拼音自定义短语或者内容还未导入,请导入！";
}

void MainWindowTest::enterNeverPressesAButtonSpaceDoes() {
  QFETCH(QString, button);
  QFETCH(QString, error);
  auto* widget = window_->findChild<QPushButton*>(button);
  Focus(widget);
  MessageBoxAnswerer answerer;
  QTest::keyClick(widget, Qt::Key_Return);
  QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
  QVERIFY(answerer.Seen().empty());
  QTest::keyClick(widget, Qt::Key_Space);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{1});
  QCOMPARE(answerer.Seen()[0].text, error);
  QVERIFY(window_->isVisible());
}

void MainWindowTest::checkBoxToggles() {
  auto* box = Find<QCheckBox>("选择框1");
  QCOMPARE(window_->GetMergeState(), 0);
  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(window_->GetMergeState(), 1);
  QTest::mouseClick(box, Qt::LeftButton);
  QCOMPARE(window_->GetMergeState(), 0);
  Focus(box);
  QTest::keyClick(box, Qt::Key_Space);
  QCOMPARE(window_->GetMergeState(), 1);
  QVERIFY(!box->isTristate());
}

void MainWindowTest::focusComesBackAfterDeactivation() {
  QWidget* box = SogouBox();
  Focus(box);
  QWidget other;
  other.setObjectName(QStringLiteral("other"));
  other.show();
  other.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  QVERIFY(!box->hasFocus());
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  QTRY_VERIFY(box->hasFocus());
}

// Both commands in both modes, through the real buttons.
void MainWindowTest::commandConverts_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("merge");
  QTest::addColumn<QString>("qq");
  QTest::addColumn<QString>("sogou");
  QTest::addColumn<QString>("expected_qq");
  QTest::addColumn<QString>("expected_sogou");
  QTest::addColumn<QString>("expected_result");

  const QString sogou = QStringLiteral("dz,1=北京市海淀区\nyx,2=a\u00a0b 😀");
  const QString qq = QStringLiteral("dz=1,北京市海淀区\r\nyx=2,a\u00a0b 😀\r\n");
  const QString old_qq = QStringLiteral("old=1,旧的");
  const QString old_sogou = QStringLiteral("old,1=旧的");
  QTest::newRow("搜狗转QQ") << "按钮1" << false << old_qq << sogou << qq
                            << QStringLiteral("dz,1=北京市海淀区\r\nyx,2=a\u00a0b 😀") << "";
  QTest::newRow("QQ转搜狗") << "按钮2" << false << QStringLiteral("dz=1,北京市海淀区\n")
                            << old_sogou << QStringLiteral("dz=1,北京市海淀区\r\n")
                            << QStringLiteral("dz,1=北京市海淀区\r\n") << "";
  QTest::newRow("搜狗转QQ 合并")
      << "按钮1" << true << old_qq << sogou << old_qq
      << QStringLiteral("dz,1=北京市海淀区\r\nyx,2=a\u00a0b 😀")
      << qq + QStringLiteral("\r\n;  ----------下面为QQ拼音---------\r\n") + old_qq;
  QTest::newRow("QQ转搜狗 合并")
      << "按钮2" << true << QStringLiteral("dz=1,北京") << "" << QStringLiteral("dz=1,北京") << ""
      << QStringLiteral("dz,1=北京\r\n\r\n;  ----------下面为搜狗拼音---------\r\n");
}

void MainWindowTest::commandConverts() {
  QFETCH(QString, button);
  QFETCH(bool, merge);
  QFETCH(QString, qq);
  QFETCH(QString, sogou);
  QFETCH(QString, expected_qq);
  QFETCH(QString, expected_sogou);
  QFETCH(QString, expected_result);

  QqBox()->setPlainText(qq);
  SogouBox()->setPlainText(sogou);
  if (merge) QTest::mouseClick(Find<QCheckBox>("选择框1"), Qt::LeftButton);
  MessageBoxAnswerer answerer;
  QTest::mouseClick(window_->findChild<QPushButton*>(button), Qt::LeftButton);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{1});

  const SeenMessageBox& seen = answerer.Seen()[0];
  QCOMPARE(seen.title, QStringLiteral("信息："));
  QCOMPARE(seen.text, QStringLiteral("已复制，粘贴即可。"));
  QCOMPARE(seen.icon, QMessageBox::NoIcon);
  QCOMPARE(seen.modality, Qt::ApplicationModal);
  QVERIFY(!seen.has_owner);

  QCOMPARE(FromGb(window_->GetBoxText(Box::kQq)), expected_qq);
  QCOMPARE(FromGb(window_->GetBoxText(Box::kSogou)), expected_sogou);
  QCOMPARE(FromGb(ResultText()), expected_result);
  const QString delivered =
      merge ? expected_result : (button == "按钮1" ? expected_qq : expected_sogou);
  QCOMPARE(QGuiApplication::clipboard()->text(), delivered);
}

void MainWindowTest::commandRejectsWhatIsNotAList_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("merge");
  QTest::addColumn<QString>("source");
  QTest::addColumn<QString>("error");
  const QString not_sogou = QStringLiteral("不是搜狗拼音自定义短语或者内容还未导入,请导入！");
  const QString not_qq = QStringLiteral("不是QQ拼音自定义短语或者内容还未导入,请导入！");
  for (const bool merge : {false, true}) {
    const char* mode = merge ? " 合并" : "";
    QTest::addRow("按钮1 empty%s", mode) << "按钮1" << merge << "" << not_sogou;
    QTest::addRow("按钮1 QQ list%s", mode) << "按钮1" << merge << "dz=1,北京" << not_sogou;
    QTest::addRow("按钮2 empty%s", mode) << "按钮2" << merge << "" << not_qq;
    QTest::addRow("按钮2 Sogou list%s", mode) << "按钮2" << merge << "dz,1=北京" << not_qq;
  }
}

void MainWindowTest::commandRejectsWhatIsNotAList() {
  QFETCH(QString, button);
  QFETCH(bool, merge);
  QFETCH(QString, source);
  QFETCH(QString, error);
  QTextEdit* source_box = button == "按钮1" ? SogouBox() : QqBox();
  QTextEdit* opposite_box = button == "按钮1" ? QqBox() : SogouBox();
  source_box->setPlainText(source);
  opposite_box->setPlainText(QStringLiteral("对面"));
  ResultBox()->setPlainText(QStringLiteral("结果"));
  if (merge) QTest::mouseClick(Find<QCheckBox>("选择框1"), Qt::LeftButton);

  MessageBoxAnswerer answerer;
  QTest::mouseClick(window_->findChild<QPushButton*>(button), Qt::LeftButton);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{1});
  const SeenMessageBox& seen = answerer.Seen()[0];
  QCOMPARE(seen.title, QStringLiteral("错误："));
  QCOMPARE(seen.text, error);
  QCOMPARE(seen.icon, QMessageBox::Critical);
  QCOMPARE(seen.modality, Qt::ApplicationModal);
  QVERIFY(!seen.has_owner);

  QCOMPARE(source_box->toPlainText(), source);
  QCOMPARE(opposite_box->toPlainText(), QStringLiteral("对面"));
  QCOMPARE(ResultBox()->toPlainText(), QStringLiteral("结果"));
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clipboard before"));
}

void MainWindowTest::roundTripThroughBothBoxes() {
  const QString sogou =
      QStringLiteral("dz,1=北京市海淀区\r\nsj,2=2024年\u00a01月\r\nbq,9=😀𠀀€\r\n");
  SogouBox()->setPlainText(sogou);
  MessageBoxAnswerer answerer;
  QTest::mouseClick(Find<QPushButton>("按钮1"), Qt::LeftButton);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{1});
  SogouBox()->setPlainText(QString());
  QTest::mouseClick(Find<QPushButton>("按钮2"), Qt::LeftButton);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{2});
  QCOMPARE(FromGb(window_->GetBoxText(Box::kSogou)), sogou);
  QCOMPARE(QGuiApplication::clipboard()->text(), sogou);
}

void MainWindowTest::boxReadsRawText_data() {
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QByteArray>("read");
  QTest::newRow("empty") << "" << QByteArray();
  QTest::newRow("a Enter b") << "a\nb" << QByteArray("a\r\nb");
  QTest::newRow("trailing break") << "a\n" << QByteArray("a\r\n");
  QTest::newRow("empty lines kept") << "\n\na" << QByteArray("\r\n\r\na");
  QTest::newRow("no-break space") << "a\u00a0b"
                                  << QByteArray(
                                         "a\x81\x30\x84\x32"
                                         "b");
  QTest::newRow("tab") << "a\tb" << QByteArray("a\tb");
  QTest::newRow("GBK") << "北京" << QByteArray("\xB1\xB1\xBE\xA9");
  QTest::newRow("emoji") << "😀" << QByteArray("\x94\x39\xFC\x36");
  QTest::newRow("outside GBK") << "𠀀" << QByteArray("\x95\x32\x82\x36");
  QTest::newRow("line separator") << "a\u2028b" << QByteArray("a\r\nb");
}

void MainWindowTest::boxReadsRawText() {
  QFETCH(QString, shown);
  QFETCH(QByteArray, read);
  for (const Box box : {Box::kQq, Box::kSogou}) {
    (box == Box::kQq ? QqBox() : SogouBox())->setPlainText(shown);
    QCOMPARE(QByteArray::fromStdString(window_->GetBoxText(box)), read);
  }
}

void MainWindowTest::boxWritesLines_data() {
  QTest::addColumn<QByteArray>("written");
  QTest::addColumn<int>("lines");
  QTest::addColumn<QByteArray>("read");
  QTest::newRow("absent") << QByteArray() << 1 << QByteArray();
  QTest::newRow("x CR LF y") << QByteArray("x\r\ny") << 2 << QByteArray("x\r\ny");
  QTest::newRow("list") << QByteArray("a=1,\xB1\xB1\r\nb=2,\xA8\x80\r\n") << 3
                        << QByteArray("a=1,\xB1\xB1\r\nb=2,\xA8\x80\r\n");
  QTest::newRow("outside GBK") << QByteArray("\x95\x32\x82\x36\r\n\x94\x39\xFC\x38") << 2
                               << QByteArray("\x95\x32\x82\x36\r\n\x94\x39\xFC\x38");
  QTest::newRow("lone LF") << QByteArray("x\ny") << 2 << QByteArray("x\r\ny");
  QTest::newRow("lone CR") << QByteArray("x\ry") << 2 << QByteArray("x\r\ny");
  QTest::newRow("CR CR LF") << QByteArray("x\r\r\ny") << 3 << QByteArray("x\r\n\r\ny");
}

void MainWindowTest::boxWritesLines() {
  QFETCH(QByteArray, written);
  QFETCH(int, lines);
  QFETCH(QByteArray, read);
  QqBox()->setPlainText(QStringLiteral("typed by the user"));
  window_->SetBoxText(Box::kQq, written.toStdString());
  QCOMPARE(QqBox()->document()->blockCount(), lines);
  QCOMPARE(QByteArray::fromStdString(window_->GetBoxText(Box::kQq)), read);

  ResultBox()->setPlainText(QStringLiteral("typed by the user"));
  window_->SetResultText(written.toStdString());
  QCOMPARE(ResultBox()->document()->blockCount(), lines);
  QCOMPARE(QByteArray::fromStdString(ResultText()), read);
}

void MainWindowTest::pasteKeepsOneLinePerLine_data() {
  QTest::addColumn<QString>("plain");
  QTest::addColumn<QString>("html");
  QTest::addColumn<QByteArray>("read");
  QTest::newRow("CR LF") << "dz,1=北京\r\nyx,2=a\r\n"
                         << "" << QByteArray("dz,1=\xB1\xB1\xBE\xA9\r\nyx,2=a\r\n");
  QTest::newRow("LF") << "a\nb"
                      << "" << QByteArray("a\r\nb");
  QTest::newRow("formatted") << "dz,1=北京"
                             << "<p><b style=\"color:#ff0000;font-size:30pt\">dz,1=</b><i>北京</i>"
                                "<img src=\"data:image/png;base64,AAAA\"/></p><p>yx,2=a&nbsp;b</p>"
                             << QByteArray(
                                    "dz,1=\xB1\xB1\xBE\xA9\r\nyx,2=a\x81\x30\x84\x32"
                                    "b");
  QTest::newRow("formatted line break")
      << "a"
      << "<span style=\"color:blue\">a<br/>b</span>" << QByteArray("a\r\nb");
}

void MainWindowTest::pasteKeepsOneLinePerLine() {
  QFETCH(QString, plain);
  QFETCH(QString, html);
  QFETCH(QByteArray, read);
  auto* mime = new QMimeData;
  mime->setText(plain);
  if (!html.isEmpty()) mime->setHtml(html);
  QGuiApplication::clipboard()->setMimeData(mime);
  Focus(SogouBox());
  SogouBox()->paste();
  QCOMPARE(QByteArray::fromStdString(window_->GetBoxText(Box::kSogou)), read);
}

void MainWindowTest::largeListReadAndWrittenWhole() {
  // 50,000 entries of 10 characters: 500,000 characters with line breaks.
  QString list;
  for (int i = 0; i < 50000; ++i) {
    list +=
        QStringLiteral("k%1,%2=短语\u00a0😀\n").arg(i % 1000, 3, 10, QLatin1Char('0')).arg(i % 10);
  }
  QVERIFY(list.size() >= 500000);
  SogouBox()->setPlainText(list);
  const Text read = window_->GetBoxText(Box::kSogou);
  QString expected = list;
  expected.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  QCOMPARE(FromGb(read), expected);

  MessageBoxAnswerer answerer;
  QTest::mouseClick(Find<QPushButton>("按钮1"), Qt::LeftButton);
  QTRY_COMPARE(answerer.Seen().size(), std::size_t{1});
  QCOMPARE(answerer.Seen()[0].text, QStringLiteral("已复制，粘贴即可。"));
  const Text written = window_->GetBoxText(Box::kQq);
  QCOMPARE(QqBox()->document()->blockCount(), 50001);
  QString converted = expected;
  converted.replace(QRegularExpression(QStringLiteral(",(\\d)=")), QStringLiteral("=\\1,"));
  QCOMPARE(FromGb(written), converted);
  QCOMPARE(QGuiApplication::clipboard()->text(), converted);
}

}  // namespace marvoset

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Closing the window in one test must not end the event loops of the next.
  QApplication::setQuitOnLastWindowClosed(false);
  marvoset::MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "main_window_test.moc"
