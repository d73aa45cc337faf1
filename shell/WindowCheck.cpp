#include "WindowCheck.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>

#include <ctime>
#include <string>
#include <vector>

#include "BackgroundCheck.h"
#include "CheckIndicator.h"
#include "CheckSchedule.h"
#include "DesktopNotifier.h"
#include "FeedListRows.h"
#include "FeedMoves.h"
#include "GridControl.h"
#include "SubscriptionTransfer.h"
#include "UfrmControl.h"
#include "store/FeedNews.h"
#include "store/FeedStateDb.h"
#include "store/Subscriptions.h"

namespace vantle {

TWindowCheck::TWindowCheck(TfrmControl& window, TFeedStateDb& state)
    : QObject(&window),
      FWindow(window),
      FState(state),
      FCheck(new TBackgroundCheck(window.DataDir(), this)),
      FIndicator(new TCheckIndicator(*window.pnlInfo)),
      FSchedule(new TCheckSchedule(DefaultCheckInterval, EventLoopTimer(), this)),
      FNotifier(new TDesktopNotifier(QDBusConnection::sessionBus(), this)) {
  CheckAllFeeds1 = new QAction(tr("Check all feeds"), this);
  CheckAllFeeds1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  if (auto* transfer = window.findChild<TSubscriptionTransfer*>()) {
    transfer->TransferMenu->addSeparator();
    transfer->TransferMenu->addAction(CheckAllFeeds1);
  }
  // On the window too, so that Ctrl+R works while the menu is closed.
  window.addAction(CheckAllFeeds1);
  connect(CheckAllFeeds1, &QAction::triggered, this,
          [this] { FWindow.RunWindowCommand([this] { CheckAllFeeds(true); }); });
  connect(FSchedule, &TCheckSchedule::CheckNow, this,
          [this] { FWindow.RunWindowCommand([this] { CheckAllFeeds(false); }); });
  connect(FCheck, &TBackgroundCheck::Progressed, FIndicator, &TCheckIndicator::ShowProgress);
  connect(FCheck, &TBackgroundCheck::Finished, this,
          [this] { FWindow.RunWindowCommand([this] { Finished(); }); });
  window.installEventFilter(this);
}

TWindowCheck::~TWindowCheck() = default;

bool TWindowCheck::Checking() const {
  return FCheck->Running();
}

void TWindowCheck::CheckAllFeeds(bool byUser) {
  // A snapshot: the groups may change while the check runs.
  std::map<std::string, std::string> titles;
  std::vector<std::string> links;
  for (const TGroup& group :
       GroupsForNews(FWindow.Subscriptions(), FWindow.CurrentGroup(), FeedsOf(*FWindow.FeedGrid))) {
    for (const TFeed& feed : group.Feeds) {
      if (!feed.Link.empty() && titles.emplace(feed.Link, feed.Title).second)
        links.push_back(feed.Link);
    }
  }
  // The check running keeps its own snapshot and who asked for it.
  if (!FCheck->Start(std::move(links))) return;
  FTitles = std::move(titles);
  FByUser = byUser;
  FIndicator->ShowProgress(0, static_cast<int>(FTitles.size()));
}

void TWindowCheck::StartSchedule() {
  FSchedule->SetInterval(CheckIntervalFrom(FState.Setting(CheckIntervalKey)));
  FSchedule->Start();
}

void TWindowCheck::Finished() {
  FIndicator->ShowEnded(std::time(nullptr));
  ApplyMoves();
  FWindow.RefreshNews();
  if (!FByUser) TellOfNews();
}

// Each feed that moved for good takes its new link in whichever group holds it now; links no
// longer subscribed are left alone. The list shown stays as it is while a dialog works on it:
// its moves wait for the next check or load.
void TWindowCheck::ApplyMoves() {
  const bool listBusy = FWindow.ListIsUnloaded() || QApplication::activeModalWidget() != nullptr;
  bool currentChanged = false;
  std::string shownMovedTo;
  TSubscriptions& subscriptions = FWindow.Subscriptions();
  for (const TCheckedFeed& feed : FCheck->Results()) {
    if (feed.Result != TFetchResult::Moved || feed.MovedTo.empty() || feed.MovedTo == feed.Link)
      continue;
    for (const std::string& group : subscriptions.Groups()) {
      const bool current = group == FWindow.CurrentGroup();
      if (current && listBusy) continue;
      const TStoreOutcome outcome =
          subscriptions.ChangeFeedLink(group, feed.Link, feed.MovedTo, &FState);
      if (!current || outcome != TStoreOutcome::Done) continue;
      currentChanged = true;
      if (feed.Link == FWindow.CurrentLink()) shownMovedTo = feed.MovedTo;
    }
  }
  if (!currentChanged) return;
  // The feed shown is followed to its new link, as after a load, so a click on it reads nothing.
  if (!shownMovedTo.empty()) {
    FWindow.FeedShownMoved(shownMovedTo);
    ShowGroupAgainAt(FWindow, shownMovedTo);
    return;
  }
  // The selection stays on its feed, whose row moves up when a moved row above it goes.
  const int row = FWindow.SelectedRow();
  std::string selected =
      row >= 0 && row < FWindow.FeedGrid->RowCount() ? FWindow.FeedGrid->Cells(0, row) : "";
  for (const TCheckedFeed& feed : FCheck->Results()) {
    if (feed.Result == TFetchResult::Moved && feed.Link == selected) selected = feed.MovedTo;
  }
  ShowGroupAgainAt(FWindow, selected);
}

void TWindowCheck::TellOfNews() {
  std::vector<TFeedNews> news;
  for (const TCheckedFeed& feed : FCheck->Results()) {
    if (feed.Found > 0) news.push_back({FTitles[feed.Link], feed.Found});
  }
  FNotifier->TellOfCheck(news, FWindow.isActiveWindow());
}

bool TWindowCheck::eventFilter(QObject* watched, QEvent* event) {
  // The check ends with the window, as a load does; what finished is kept.
  if (watched == &FWindow && event->type() == QEvent::Close) FCheck->Stop();
  return QObject::eventFilter(watched, event);
}

}  // namespace vantle
