#include "VantleApplication.h"

#include <QMessageBox>

namespace vantle {

TVantleApplication::TVantleApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The name, not the display name: a display name would be appended to every caption.
  setApplicationName(QStringLiteral("Vantle"));
}

bool TVantleApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (OnUnguardedError) {
      OnUnguardedError(error);
    } else {
      ShowError(error);
    }
    return false;
  }
}

void ShowError(const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationName(),
                  QString::fromUtf8(error.what()), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool RunReported(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

}  // namespace vantle
