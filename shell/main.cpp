#include <QGuiApplication>

#include <unistd.h>

#include "DataDirectory.h"
#include "SignalCloser.h"
#include "UfrmControl.h"
#include "VantleApplication.h"

int main(int argc, char** argv) {
  // Qt WebEngine's sandbox cannot start as root.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  vantle::TVantleApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("vantle"));

  vantle::TfrmControl frmControl(vantle::ApplicationDataDir());
  const vantle::TSignalCloser closer(frmControl);
  frmControl.show();
  return application.exec();
}
