#pragma once

#include <QObject>

#include <map>
#include <string>

class QAction;

namespace vantle {

class TBackgroundCheck;
class TCheckIndicator;
class TCheckSchedule;
class TDesktopNotifier;
class TFeedStateDb;
class TfrmControl;

// "Check all feeds" in the reader window: Ctrl+R and an entry in the New Group button's menu
// check every subscription on a worker while the window goes on, as does a schedule of its
// own (the feed state's check_interval_minutes). At the end moves are applied to the groups
// that then hold the links, the marks are read again, and a check of its own that found news
// while the window is not active tells the desktop. Closing the window ends a check.
class TWindowCheck : public QObject {
  Q_OBJECT

 public:
  // Adds the commands to `window`, which owns the new object; `state` outlives it.
  TWindowCheck(TfrmControl& window, TFeedStateDb& state);
  ~TWindowCheck() override;

  // Checks every subscription unless a check runs; `byUser` when the user asked for it.
  void CheckAllFeeds(bool byUser);
  // Starts the schedule; for after the window's first frame.
  void StartSchedule();
  bool Checking() const;
  TCheckIndicator& Indicator() const { return *FIndicator; }

  QAction* CheckAllFeeds1;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Finished();
  void ApplyMoves();
  void TellOfNews();

  TfrmControl& FWindow;
  TFeedStateDb& FState;
  TBackgroundCheck* FCheck;
  TCheckIndicator* FIndicator;
  TCheckSchedule* FSchedule;
  TDesktopNotifier* FNotifier;
  bool FByUser = false;
  // The titles of the links being checked, from the snapshot the check started with.
  std::map<std::string, std::string> FTitles;
};

}  // namespace vantle
