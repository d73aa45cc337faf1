#include "BackgroundCheck.h"

#include "CurlLibrary.h"
#include "FeedCheck.h"
#include "FeedSource.h"
#include "store/CheckedItems.h"
#include "store/FeedStateDb.h"

namespace vantle {

namespace {

// As vantle-feed check by default: few feeds wait, and each host sees two requests at most.
constexpr TTransferLimits Limits{.Total = 32, .PerHost = 2};

}  // namespace

TBackgroundCheck::TBackgroundCheck(std::string dataDir, QObject* parent)
    : QObject(parent), FDataDir(std::move(dataDir)) {}

TBackgroundCheck::~TBackgroundCheck() {
  FStop = true;
  if (FThread.joinable()) FThread.join();
}

bool TBackgroundCheck::Start(std::vector<std::string> links) {
  if (Running()) return false;
  FStop = false;
  FRunning.clear();
  FThread = std::thread([this, links = std::move(links)] { Run(links); });
  return true;
}

void TBackgroundCheck::Stop() {
  FStop = true;
}

void TBackgroundCheck::Run(const std::vector<std::string>& links) {
  const int total = static_cast<int>(links.size());
  try {
    const TCurlLoad& curl = CurlLibrary();
    if (curl.Library) {
      TFeedStateDb state(FDataDir);
      TFeedCheck check(state, *curl.Library, Limits);
      check.Run(links, FStop,
                [&](const std::string& link, const TLoadOutcome& outcome, const TRSSItems* items) {
                  const TCheckedItems counted =
                      NoteCheckedItems(state, link, items, false, SystemClock());
                  int done = 0;
                  {
                    const std::lock_guard lock(FMutex);
                    FRunning.push_back({link, outcome.Result, outcome.MovedTo, counted.Found});
                    done = static_cast<int>(FRunning.size());
                  }
                  QMetaObject::invokeMethod(
                      this, [this, done, total] { emit Progressed(done, total); },
                      Qt::QueuedConnection);
                });
    }
  } catch (const std::exception&) {
    // Nothing on this thread can tell the user; the feeds checked so far stand, the others
    // are asked again at the next check.
  }
  QMetaObject::invokeMethod(
      this, [this] { Ended(); }, Qt::QueuedConnection);
}

void TBackgroundCheck::Ended() {
  FThread.join();
  {
    const std::lock_guard lock(FMutex);
    FResults = std::move(FRunning);
    FRunning.clear();
  }
  emit Finished();
}

}  // namespace vantle
