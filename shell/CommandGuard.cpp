#include "CommandGuard.h"

#include "FeedLoadRunner.h"
#include "VantleApplication.h"

namespace vantle {

void RunCommand(QObject* context, std::function<void()> command) {
  if (FeedLoadRunning()) {
    WhenNoFeedLoads(context,
                    [context, command = std::move(command)] { RunCommand(context, command); });
    return;
  }
  RunReported(command);
}

}  // namespace vantle
