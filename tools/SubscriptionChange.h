#pragma once

#include <functional>
#include <string>

#include "store/Subscriptions.h"

namespace vantle::tool {

// A write command's work on the subscriptions: prints what it did and returns "", or returns
// why it was refused, having changed nothing.
using TChange = std::function<std::string(TSubscriptions&)>;

// Runs `change` on the subscriptions of `dataDir`, made when missing, holding the data
// directory's lock for the tool throughout. Returns 0 when done; 1 with the reason on
// stderr when the lock is held elsewhere or the change was refused.
int ChangeUnderLock(const std::string& dataDir, const TChange& change);

// Why the store refused a command on `group` (and `link`, for NoSuchFeed), for stderr.
std::string RefusalText(TStoreOutcome outcome, const std::string& group,
                        const std::string& link = {});

}  // namespace vantle::tool
