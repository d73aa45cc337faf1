#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>

#include <vector>

#include "DesktopNotifier.h"
#include "component_support.h"

namespace vantle {

// A notification service of the test's own, recording the summary and body it is sent.
class TFakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  std::vector<std::pair<QString, QString>> Received;

 public slots:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap&, int) {
    Received.emplace_back(summary, body);
    return static_cast<uint>(Received.size());
  }
};

namespace {

TEST(DesktopNotifier, TellsARunningServiceOnlyWhileTheWindowIsInactiveAndSomethingIsNew) {
  QProcess daemon;  // a session bus of the test's own
  daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
  ASSERT_TRUE(daemon.waitForReadyRead(5000));
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
  QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service");
  TDesktopNotifier notifier(QDBusConnection::connectToBus(address, "notifier"));
  QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
  EXPECT_TRUE(notifier.TellOfCheck({{"Alpha", 1}}, false));
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_FALSE(answered.takeFirst().at(0).toBool()) << "no service runs yet, and none is started";

  TFakeNotifications service;
  ASSERT_TRUE(serviceBus.registerObject("/org/freedesktop/Notifications", &service,
                                        QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serviceBus.registerService("org.freedesktop.Notifications"));
  EXPECT_FALSE(notifier.TellOfCheck({{"Alpha", 2}}, true));
  EXPECT_FALSE(notifier.TellOfCheck({{"Alpha", 0}}, false));
  EXPECT_TRUE(notifier.TellOfCheck(
      {{"Alpha", 2}, {"Quiet", 0}, {"Beta", 1}, {"Gamma", 1}, {"Delta", 1}, {"Eps", 1}}, false));
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_TRUE(answered.at(0).at(0).toBool());
  EXPECT_EQ(service.Received, (std::vector<std::pair<QString, QString>>{
                                  {"6 new items in 5 feeds", "Alpha, Beta, Gamma and 2 more"}}));
  EXPECT_EQ(NewsSummary({{"A", 1}}), "1 new item in 1 feed");
  EXPECT_EQ(NewsSummary({{"A", 4}}), "4 new items in 1 feed");
  daemon.kill();
  daemon.waitForFinished();
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}

#include "component_notifier_test.moc"
