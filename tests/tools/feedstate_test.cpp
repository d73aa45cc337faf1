// vantle-feed keeping what feeds' publishers asked in a data directory, from run to run.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "support/LoopbackServer.h"
#include "support/RunTool.h"

namespace vantle::tool {
namespace {

using test::TReply;
using test::TServedRequest;

TEST(ToolFeedState, ShowHonoursMaxAgeAndRetryAfterAcrossRunsOnlyWithData) {
  const std::string data =
      (std::filesystem::temp_directory_path() / ("vantle_feedstate_" + std::to_string(::getpid())))
          .string();
  const std::string feed =
      "<rss version='2.0'><channel><title>T</title><link>l</link><description>d</description>"
      "</channel></rss>";
  test::TLoopbackServer server;
  server.Publish("/fresh", {.Type = "application/rss+xml",
                            .Body = feed,
                            .Headers = {{"ETag", "\"1\""}, {"Cache-Control", "max-age=3600"}}});
  // A feed, then "too many requests" from the second request on.
  std::atomic<int> busyRequests{0};
  server.Route("/busy", [&](const TServedRequest&) {
    if (busyRequests++ == 0) return TReply::Content(feed, "application/rss+xml");
    return TReply{.Status = 429, .Headers = {{"Retry-After", "3600"}}};
  });
  const std::string fresh = server.Url("/fresh"), busy = server.Url("/busy");
  const struct {
    bool WithData;
    int Status;
    int FreshRequests, BusyRequests;  // so far
  } runs[] = {
      {true, 0, 1, 1},   // both fetched in full
      {true, 1, 1, 2},   // /fresh read from its copy; /busy asks and is told to wait
      {true, 0, 1, 2},   // /busy read from its copy while its host waits
      {false, 1, 2, 3},  // without --data every link is asked for in full
  };
  for (const auto& run : runs) {
    std::vector<std::string> args = {"show", fresh, busy};
    if (run.WithData) args.insert(args.begin() + 1, {"--data", data});
    EXPECT_EQ(RunTool(args).Status, run.Status) << run.FreshRequests << run.BusyRequests;
    EXPECT_EQ(server.RequestsFor("/fresh"), run.FreshRequests);
    EXPECT_EQ(server.RequestsFor("/busy"), run.BusyRequests);
  }
  for (const TServedRequest& request : server.Requests())
    EXPECT_EQ(request.Header("If-None-Match"), "") << "no copy was stale with --data";
  std::filesystem::remove_all(data);
}

}  // namespace
}  // namespace vantle::tool
