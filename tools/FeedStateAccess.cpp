#include "FeedStateAccess.h"

#include "DataDirAccess.h"
#include "store/FeedStateDb.h"
#include "store/Subscriptions.h"

namespace vantle::tool {

namespace {

constexpr const char* kDataOption = "--data";

}  // namespace

bool TakeDataOption(std::vector<std::string>& args, std::optional<std::string>& dataDir) {
  for (size_t i = 0; i < args.size();) {
    if (args[i] != kDataOption) {
      ++i;
      continue;
    }
    if (i + 1 == args.size() || dataDir) return false;
    dataDir = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
  }
  return true;
}

std::unique_ptr<IFeedState> ToolFeedState(const std::optional<std::string>& dataDir) {
  if (!dataDir) return nullptr;
  const std::string dir = ToolDataDir(*dataDir);
  // What the feeds' publishers asked is kept even before a group is.
  TSubscriptions(dir).MakeDataDir();
  return std::make_unique<TFeedStateDb>(dir);
}

}  // namespace vantle::tool
