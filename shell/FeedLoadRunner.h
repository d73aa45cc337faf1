#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "FeedSource.h"

namespace vantle {

class TSimpleRSS;

// Loads `link` into `reader` and returns when the load has ended, raising what it raised.
// The load runs on a worker thread while this thread runs a full event loop, so windows
// repaint and answer the window system however long the server stays silent; user input
// is dropped meanwhile, but Escape cancels the load, which then raises ELoadCancelled. One
// load at a time: a second one raises an error.
void LoadFeedAside(TSimpleRSS& reader, const std::string& link);
// The same, through `source` for a request of `kind`; returns how the load ended.
TLoadOutcome LoadFeedAside(TSimpleRSS& reader, const std::string& link, const TFeedSource& source,
                           TRequestKind kind);

// Runs `work`, which fetches through `reader`'s options, the way LoadFeedAside runs a load.
void RunAside(TSimpleRSS& reader, const std::function<void()>& work);

// True while LoadFeedAside or RunAside runs.
bool FeedLoadRunning();

// Makes the running load end as soon as the fetcher notices (it then fails with
// "aborted"); does nothing when no load runs.
void AbortFeedLoad();

// Makes the running load end as AbortFeedLoad does, raising ELoadCancelled unless it has
// succeeded already; does nothing when no load runs.
void CancelFeedLoad();

// Runs `action` from the event loop once no load runs: queued at the end of the running
// load, in the order asked, or queued at once when none runs. Dropped once `context` is
// gone.
void WhenNoFeedLoads(QObject* context, std::function<void()> action);

}  // namespace vantle
