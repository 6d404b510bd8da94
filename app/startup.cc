#include "app/startup.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_window.h"

namespace marvoset {
namespace {

void ReportFailure(const std::string& reason) {
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(kStartupFailedText.size()),
               kStartupFailedText.data(), reason.c_str());
  std::fflush(stderr);
}

// Qt ends the process with abort() when no platform plugin can start (for
// instance when the X server refuses the connection). While the application
// object is being built, such a fatal message becomes our start-up failure.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) {
    ReportFailure("the window system could not be reached (" +
                  text.section(QLatin1Char('\n'), 0, 0).toStdString() + ")");
    std::_Exit(kStartupFailedStatus);
  }
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Without an explicit platform and without any display to connect to there
// is nothing to show the window on.
bool HasDisplay() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
         !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int RunMarvoset(int argc, char** argv) {
  if (!HasDisplay()) {
    ReportFailure("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    return kStartupFailedStatus;
  }

  const QtMessageHandler previous = qInstallMessageHandler(StartupMessageHandler);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);

  QApplication::setApplicationName(QStringLiteral("Marvoset"));
  QGuiApplication::setDesktopFileName(QStringLiteral("marvoset"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/marvoset/marvoset.svg")));

  if (QGuiApplication::primaryScreen() == nullptr) {
    ReportFailure("no screen");
    return kStartupFailedStatus;
  }

  MainWindow window;
  window.show();
  if (!window.isVisible() || window.windowHandle() == nullptr) {
    ReportFailure("the main window could not be created");
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误："),
                    QString::fromUtf8(kStartupFailedText.data(),
                                      static_cast<qsizetype>(kStartupFailedText.size())),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return kStartupFailedStatus;
  }
  window.activateWindow();
  return QApplication::exec();
}

}  // namespace marvoset
