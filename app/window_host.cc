#include "app/window_host.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>

#include "app/box_text.h"
#include "app/main_window.h"

namespace marvoset {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Text WindowCommandHost::GetBoxText(Box box) { return window_.GetBoxText(box); }

void WindowCommandHost::SetBoxText(Box box, std::string_view text) {
  window_.SetBoxText(box, text);
}

void WindowCommandHost::SetResultText(std::string_view text) { window_.SetResultText(text); }

int WindowCommandHost::GetMergeState() { return window_.GetMergeState(); }

bool WindowCommandHost::PutOnClipboard(std::string_view text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  const QString plain = ToQString(text);
  clipboard->setText(plain, QClipboard::Clipboard);
  // While we own the clipboard this reads our own data back, without a
  // round trip to another process.
  return clipboard->text(QClipboard::Clipboard) == plain;
}

void WindowCommandHost::ShowMessage(const Message& message) {
  QMessageBox box(message.icon == MessageIcon::kStop ? QMessageBox::Critical : QMessageBox::NoIcon,
                  FromUtf8(message.title), FromUtf8(message.text), QMessageBox::Ok);
  box.setObjectName(QStringLiteral("消息框"));
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace marvoset
