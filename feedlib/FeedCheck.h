#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "CurlLibrary.h"
#include "FeedFetcher.h"
#include "FeedSource.h"
#include "FeedState.h"
#include "SimpleRSSTypes.h"
#include "TransferEngine.h"

namespace vantle {

// Called once per link as its check ends, on a thread of the check's own, one call at a time;
// `items` are the feed's items as this check read them, null when it read no feed.
using TCheckReport = std::function<void(const std::string& link, const TLoadOutcome& outcome,
                                        const TRSSItems* items)>;

// Checks many feed links at once as background requests: each is asked or skipped by what
// `state` keeps of it and its host, the transfers run side by side on one multi handle, and
// each answer is read as a feed (tolerantly) and kept in `state` on a worker thread while the
// next transfers go on.
class TFeedCheck {
 public:
  TFeedCheck(IFeedState& state, const TCurlLibrary& curl, TTransferLimits limits,
             TClock clock = SystemClock, TFetchOptions options = {});

  // Checks `links` until all are done or `stop` turns true; a link whose check had not ended
  // then is not reported and its state is as it was. Raises ETransferError when the multi
  // interface fails, and what `state` or `report` raises.
  void Run(const std::vector<std::string>& links, const std::atomic<bool>& stop,
           const TCheckReport& report);

 private:
  class TRun;

  IFeedState& FState;
  const TCurlLibrary& FCurl;
  TTransferLimits FLimits;
  TClock FClock;
  TFetchOptions FOptions;
};

}  // namespace vantle
