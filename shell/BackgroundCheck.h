#pragma once

#include <QObject>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FetchRules.h"

namespace vantle {

// One feed a check considered.
struct TCheckedFeed {
  std::string Link;
  TFetchResult Result = TFetchResult::Failed;
  std::string MovedTo;  // where it moved for good, when it did
  int Found = 0;        // the items this check saw first
};

// Checks feed links on a thread of its own by the fetch rules, as vantle-feed check does,
// keeping what it learns in the data directory's feed state while the window goes on.
class TBackgroundCheck : public QObject {
  Q_OBJECT

 public:
  explicit TBackgroundCheck(std::string dataDir, QObject* parent = nullptr);
  // Ends a running check, within a second.
  ~TBackgroundCheck() override;

  bool Running() const { return FThread.joinable(); }
  // Starts checking `links`; false, doing nothing, while a check runs.
  bool Start(std::vector<std::string> links);
  // Ends a running check within a second; Finished follows with what it did.
  void Stop();
  // The feeds of the last check that finished.
  const std::vector<TCheckedFeed>& Results() const { return FResults; }

 signals:
  // Another feed's check ended.
  void Progressed(int done, int total);
  void Finished();

 private:
  void Run(const std::vector<std::string>& links);
  void Ended();

  const std::string FDataDir;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::mutex FMutex;
  std::vector<TCheckedFeed> FRunning;  // under FMutex
  std::vector<TCheckedFeed> FResults;
};

}  // namespace vantle
