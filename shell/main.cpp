#include <QGuiApplication>

#include <unistd.h>

#include <iostream>

#include "CommandLine.h"
#include "FontWarmUp.h"
#include "SignalCloser.h"
#include "SingleWindow.h"
#include "UfrmControl.h"
#include "VantleApplication.h"
#include "store/DataDirectory.h"

int main(int argc, char** argv) {
  // Answered before Qt starts, so that they need no display.
  if (const auto status = vantle::AnswerCommandLine(argc, argv, std::cout, std::cerr)) {
    return *status;
  }
  // Qt WebEngine's sandbox cannot start as root.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  const vantle::TFontWarmUp fonts;
  vantle::TVantleApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("vantle"));

  vantle::TfrmControl frmControl(vantle::ApplicationDataDir());
  // A second window on the same data directory would lose the first one's changes.
  if (vantle::AnotherWindowRuns(frmControl)) {
    vantle::CallRunningWindow(frmControl.DataDir());
    vantle::ShowAlreadyRunning(frmControl.DataDir());
    return 0;
  }
  new vantle::TFrontRequests(frmControl, frmControl.DataDir());
  const vantle::TSignalCloser closer(frmControl);
  frmControl.show();
  return application.exec();
}
