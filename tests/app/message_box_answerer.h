// Answers the modal message boxes that a window test provokes: records the
// title, text, icon, modality and owner of each one and presses OK, so no
// test is ever left waiting on a box.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTimer>
#include <vector>

namespace marvoset {

struct SeenMessageBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  Qt::WindowModality modality;
  bool has_owner;
};

class MessageBoxAnswerer : public QObject {
 public:
  MessageBoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
    timer_.start();
  }

  const std::vector<SeenMessageBox>& Seen() const { return seen_; }

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    seen_.push_back({box->windowTitle(), box->text(), box->icon(), box->windowModality(),
                     box->parentWidget() != nullptr});
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  }

  QTimer timer_;
  std::vector<SeenMessageBox> seen_;
};

}  // namespace marvoset
