#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

#include "DesktopNotifier.h"
#include "component_support.h"

namespace vantle {

// What a notification service is asked, as the test's own service records it.
struct TNotification {
  QString App, Summary, Body;
};

class TFakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  std::vector<TNotification> Received;

 public slots:
  uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap&, int) {
    Received.push_back({app, summary, body});
    return static_cast<uint>(Received.size());
  }
};

namespace {

// A session bus of the test's own, gone with the fixture.
class DesktopNotifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(FDaemon.waitForStarted());
    ASSERT_TRUE(FDaemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(FDaemon.readLine()).trimmed();
    FNotifierBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address, QStringLiteral("notifier")));
    FServiceBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address, QStringLiteral("service")));
    ASSERT_TRUE(FNotifierBus->isConnected());
  }
  void TearDown() override {
    FNotifierBus.reset();
    FServiceBus.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("notifier"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    FDaemon.kill();
    FDaemon.waitForFinished();
  }

  void RunService() {
    ASSERT_TRUE(FServiceBus->registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                            &FService, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(FServiceBus->registerService(QStringLiteral("org.freedesktop.Notifications")));
  }

  QProcess FDaemon;
  std::unique_ptr<QDBusConnection> FNotifierBus, FServiceBus;
  TFakeNotifications FService;
};

TEST_F(DesktopNotifierTest, SendsOneNotificationCountingItemsAndFeeds) {
  RunService();
  TDesktopNotifier notifier(*FNotifierBus);
  QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
  EXPECT_TRUE(notifier.TellOfCheck({{"Alpha", 2}, {"Quiet", 0}, {"Beta", 1}}, false));
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_TRUE(answered.at(0).at(0).toBool());
  ASSERT_EQ(FService.Received.size(), 1u);
  EXPECT_EQ(FService.Received[0].App, "Vantle");
  EXPECT_EQ(FService.Received[0].Summary, "3 new items in 2 feeds");
  EXPECT_EQ(FService.Received[0].Body, "Alpha, Beta");
}

TEST_F(DesktopNotifierTest, SendsNothingWhileTheWindowIsActiveOrNothingIsNew) {
  RunService();
  TDesktopNotifier notifier(*FNotifierBus);
  QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
  EXPECT_FALSE(notifier.TellOfCheck({{"Alpha", 2}}, true));
  EXPECT_FALSE(notifier.TellOfCheck({{"Alpha", 0}}, false));
  EXPECT_FALSE(notifier.TellOfCheck({}, false));
  // A notification sent after them is the first the service sees.
  EXPECT_TRUE(notifier.TellOfCheck({{"Alpha", 1}}, false));
  ASSERT_TRUE(answered.wait(5000));
  ASSERT_EQ(FService.Received.size(), 1u);
  EXPECT_EQ(FService.Received[0].Summary, "1 new item in 1 feed");
}

TEST_F(DesktopNotifierTest, ShowsNothingWithoutANotificationService) {
  TDesktopNotifier notifier(*FNotifierBus);
  QSignalSpy answered(&notifier, &TDesktopNotifier::Answered);
  EXPECT_TRUE(notifier.TellOfCheck({{"Alpha", 1}}, false));
  ASSERT_TRUE(answered.wait(5000));
  EXPECT_FALSE(answered.at(0).at(0).toBool());
  EXPECT_TRUE(FService.Received.empty());
}

TEST(NewsTexts, CountItemsAndFeedsAndNameAtMostThree) {
  struct TCase {
    std::vector<TFeedNews> news;
    QString summary, body;
  };
  const std::vector<TCase> cases = {
      {{{"A", 1}}, "1 new item in 1 feed", "A"},
      {{{"A", 4}}, "4 new items in 1 feed", "A"},
      {{{"A", 1}, {"B", 1}, {"C", 1}}, "3 new items in 3 feeds", "A, B, C"},
      {{{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}},
       "15 new items in 5 feeds",
       "A, B, C and 2 more"},
  };
  for (const TCase& test : cases) {
    EXPECT_EQ(NewsSummary(test.news), test.summary);
    EXPECT_EQ(NewsBody(test.news), test.body);
  }
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}

#include "component_notifier_test.moc"
