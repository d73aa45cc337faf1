#include "SingleWindow.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QStandardPaths>
#include <QWidget>

#include <unistd.h>

#include "SubscriptionTransfer.h"
#include "UfrmControl.h"

namespace vantle {

namespace {

constexpr int CallTimeoutMs = 2000;

}  // namespace

bool AnotherWindowRuns(const TfrmControl& window) {
  const auto* transfer = window.findChild<TSubscriptionTransfer*>();
  return transfer != nullptr && transfer->LockHeldElsewhere();
}

QString WindowSocketName(const std::string& dataDir) {
  // The same directory reached by another path is the same directory.
  const QFileInfo directory(QString::fromStdString(dataDir));
  const QString canonical = directory.canonicalFilePath();
  const QByteArray key = (canonical.isEmpty() ? directory.absoluteFilePath() : canonical).toUtf8();
  const QString hash =
      QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
  // The runtime directory is the user's own, so no other user can answer in our place.
  return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
      .filePath(QStringLiteral("vantle-%1-%2").arg(::getuid()).arg(hash));
}

bool CallRunningWindow(const std::string& dataDir) {
  QLocalSocket socket;
  socket.connectToServer(WindowSocketName(dataDir));
  if (!socket.waitForConnected(CallTimeoutMs)) {
    return false;
  }
  // Any call is a request to come to the front; the byte only makes it visible in traces.
  socket.write("\n");
  const bool sent = socket.waitForBytesWritten(CallTimeoutMs);
  socket.disconnectFromServer();
  return sent;
}

void ShowAlreadyRunning(const std::string& dataDir) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Vantle"),
                  QStringLiteral("Vantle is already running with the data directory %1")
                      .arg(QString::fromStdString(dataDir)),
                  QMessageBox::Ok);
  box.exec();
}

TFrontRequests::TFrontRequests(QWidget& window, const std::string& dataDir)
    : QObject(&window), FWindow(window), FServer(new QLocalServer(this)) {
  const QString name = WindowSocketName(dataDir);
  // This window holds the directory's lock: a socket left behind is a dead window's.
  QLocalServer::removeServer(name);
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  // Without the socket the window still runs; a later start then only tells the user.
  FServer->listen(name);
  connect(FServer, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* call = FServer->nextPendingConnection()) {
      connect(call, &QLocalSocket::disconnected, call, &QObject::deleteLater);
      BringToFront();
    }
  });
}

void TFrontRequests::BringToFront() {
  if (FWindow.isMinimized()) {
    FWindow.showNormal();
  }
  FWindow.raise();
  FWindow.activateWindow();
}

}  // namespace vantle
