#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <string>
#include <vector>

namespace vantle {

// A feed in which a check found new items.
struct TFeedNews {
  std::string Title;
  int NewItems = 0;
};

// "1 new item in 1 feed", "N new items in M feeds": what a check found, counted.
QString NewsSummary(const std::vector<TFeedNews>& news);
// The feeds with news by title, at most three of them, then how many more.
QString NewsBody(const std::vector<TFeedNews>& news);

// Tells the user through the freedesktop notification service what a background check found.
// The call is asynchronous and never starts a service: with none running, nothing is shown.
class TDesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit TDesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);

  // Sends one notification of `news` unless the window is active or no feed has new items.
  // True when a notification was sent.
  bool TellOfCheck(const std::vector<TFeedNews>& news, bool windowActive);

 signals:
  // The service's answer to a notification sent: shown, or not (no service, an error).
  void Answered(bool shown);

 private:
  QDBusConnection FBus;
};

}  // namespace vantle
