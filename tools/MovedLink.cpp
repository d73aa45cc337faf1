#include "MovedLink.h"

#include <chrono>

#include "store/DataDirLock.h"

namespace vantle::tool {

namespace {

// Another vantle-feed holds the lock for one short change; a longer wait would hold up a stop.
constexpr std::chrono::milliseconds kToolHoldWait{250};

}  // namespace

bool ChangeMovedLink(const std::string& dataDir, const TCheckedLink& moved, const std::string& to,
                     IFeedState& state) {
  if (to == moved.Link) return false;
  const TDataDirLock lock(dataDir, TLockRole::Tool, kToolHoldWait);
  if (!lock.Held()) return false;
  TSubscriptions store(dataDir);
  // One call per row: each changes the group's first row still holding the old link; the
  // first moves the state along.
  for (const TSubscribedRow& row : moved.Rows)
    store.ChangeFeedLink(row.Group, moved.Link, to, &state);
  return true;
}

}  // namespace vantle::tool
