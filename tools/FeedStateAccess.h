#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FeedState.h"

namespace vantle::tool {

// Takes `--data DIR` out of `args`, wherever it stands, into `dataDir`; false when the option
// lacks its value or comes twice.
bool TakeDataOption(std::vector<std::string>& args, std::optional<std::string>& dataDir);

// The feed state of the data directory `dataDir` names; none without one, so that a script
// is never answered from a stored copy or a standing it did not ask for.
std::unique_ptr<IFeedState> ToolFeedState(const std::optional<std::string>& dataDir);

}  // namespace vantle::tool
