#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QStringList>
#include <QVariantMap>

namespace vantle {

namespace {

const char* const Service = "org.freedesktop.Notifications";
const char* const Path = "/org/freedesktop/Notifications";
const char* const Interface = "org.freedesktop.Notifications";
constexpr int NamedFeeds = 3;
constexpr int ServerDecidesTimeout = -1;

QString Counted(int count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

int ItemCount(const std::vector<TFeedNews>& news) {
  int items = 0;
  for (const TFeedNews& feed : news) items += feed.NewItems;
  return items;
}

std::vector<TFeedNews> WithNews(const std::vector<TFeedNews>& news) {
  std::vector<TFeedNews> kept;
  for (const TFeedNews& feed : news)
    if (feed.NewItems > 0) kept.push_back(feed);
  return kept;
}

}  // namespace

QString NewsSummary(const std::vector<TFeedNews>& news) {
  const std::vector<TFeedNews> feeds = WithNews(news);
  return QStringLiteral("%1 in %2")
      .arg(Counted(ItemCount(feeds), "new item", "new items"),
           Counted(static_cast<int>(feeds.size()), "feed", "feeds"));
}

QString NewsBody(const std::vector<TFeedNews>& news) {
  const std::vector<TFeedNews> feeds = WithNews(news);
  QStringList titles;
  for (size_t i = 0; i < feeds.size() && i < NamedFeeds; ++i)
    titles << QString::fromStdString(feeds[i].Title);
  QString body = titles.join(QStringLiteral(", "));
  if (feeds.size() > NamedFeeds)
    body += QStringLiteral(" and %1 more").arg(feeds.size() - NamedFeeds);
  return body;
}

TDesktopNotifier::TDesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), FBus(std::move(bus)) {}

bool TDesktopNotifier::TellOfCheck(const std::vector<TFeedNews>& news, bool windowActive) {
  if (windowActive || ItemCount(WithNews(news)) == 0 || !FBus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
  // A service that is not running stays so: the call then fails at once.
  call.setAutoStartService(false);
  call << QStringLiteral("Vantle") << 0u << QStringLiteral("vantle") << NewsSummary(news)
       << NewsBody(news) << QStringList() << QVariantMap() << ServerDecidesTimeout;
  auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    emit Answered(!done->isError());
    done->deleteLater();
  });
  return true;
}

}  // namespace vantle
