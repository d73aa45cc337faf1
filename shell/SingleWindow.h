#pragma once

#include <QObject>
#include <QString>

#include <string>

class QLocalServer;
class QWidget;

namespace vantle {

class TfrmControl;

// One reader window per data directory: two windows would each write the groups they read,
// and the one closing last would drop the other's changes. The window holds the directory's
// lock; a later start finds it held, asks the running window to come to the front through a
// local socket named after the directory, tells the user and ends without writing.

// True when another process holds the lock of `window`'s data directory.
bool AnotherWindowRuns(const TfrmControl& window);

// The local socket of the window on `dataDir`: one per user and directory.
QString WindowSocketName(const std::string& dataDir);

// Asks the window on `dataDir` to come to the front; false when none answers.
bool CallRunningWindow(const std::string& dataDir);

// The message box "Vantle is already running with the data directory <dataDir>".
void ShowAlreadyRunning(const std::string& dataDir);

// Brings `window` to the front whenever a later start on `dataDir` calls; `window` owns it.
class TFrontRequests : public QObject {
 public:
  TFrontRequests(QWidget& window, const std::string& dataDir);

 private:
  void BringToFront();

  QWidget& FWindow;
  QLocalServer* FServer;
};

}  // namespace vantle
