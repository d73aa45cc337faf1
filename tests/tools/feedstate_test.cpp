// vantle-feed keeping what feeds' publishers asked in a data directory, from run to run.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/LoopbackServer.h"
#include "support/RunTool.h"
#include "support/TestFiles.h"

namespace vantle::tool {
namespace {

TEST(ToolFeedState, ShowReadsAFreshCopyKeptByAnEarlierRunOnlyWithData) {
  const test::TScratchDir scratch("vantle_feedstate");
  const std::string data = (scratch.Path() / "data").string();  // made by the first run
  test::TLoopbackServer server;
  server.Publish("/fresh", {.Type = "application/rss+xml",
                            .Body = "<rss version='2.0'><channel><title>T</title><link>l</link>"
                                    "<description>d</description></channel></rss>",
                            .Headers = {{"ETag", "\"1\""}, {"Cache-Control", "max-age=3600"}}});
  // Per run: whether it names the data directory, and the requests by its end.
  for (const auto& [withData, requests] :
       {std::pair{true, 1}, std::pair{true, 1}, std::pair{false, 2}}) {
    std::vector<std::string> args = {"show", server.Url("/fresh")};
    if (withData) args.insert(args.begin() + 1, {"--data", data});
    EXPECT_EQ(RunTool(args).Status, 0) << requests;
    EXPECT_EQ(server.RequestsFor("/fresh"), requests) << withData;
  }
  EXPECT_EQ(server.Requests().back().Header("If-None-Match"), "") << "no copy without --data";
}

}  // namespace
}  // namespace vantle::tool
