#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "FeedNotes.h"
#include "component_support.h"

namespace vantle {
namespace {

// 10 Dec 2026 14:02:00 UTC.
constexpr TUnixTime At1402 = 1796911320;
constexpr TUnixTime Now = At1402 + 3600;

TFeedFacts Standing(TFeedStanding standing, std::string reason = {}, std::string movedTo = {},
                    int newItems = 0) {
  TFeedRecord record;
  record.Link = "http://example.org/feed";
  record.Standing = standing;
  record.StandingSince = At1402;
  record.Reason = std::move(reason);
  record.MovedTo = std::move(movedTo);
  return {record, {}, newItems, false};
}

TFeedFacts NotBefore(TUnixTime until, std::string reason) {
  TFeedFacts facts = Standing(TFeedStanding::Fine);
  facts.Record->NotBefore = until;
  facts.Record->NotBeforeReason = std::move(reason);
  return facts;
}

TFeedFacts HostWaits(TUnixTime until, int newItems = 0) {
  return {{}, THostDeferral{"http://example.org:80", until, "HTTP status 429"}, newItems, false};
}

TEST(FeedNotes, SayWhatIsNewAndWhatWentWrongInTheTooltipsWords) {
  // clang-format off
  const std::vector<std::tuple<std::string, TFeedFacts, TFeedMark, QStringList>> cases = {
      {"never fetched", {}, TFeedMark::None, {}},
      {"failing, new items kept", Standing(TFeedStanding::Failing, "host not found (DNS)", {}, 3),
       TFeedMark::Warning,
       {"Not reachable since 10 Dec 14:02: host not found (DNS)", "3 new items"}},
      {"gone without a reason kept", Standing(TFeedStanding::Gone), TFeedMark::Warning,
       {"Gone: the server says this feed was removed (410)"}},
      {"moved to the link it has", Standing(TFeedStanding::Moved, {}, "http://example.org/feed"),
       TFeedMark::None, {}},
      {"host asked to wait", HostWaits(Now + 60), TFeedMark::Warning,
       {"Asked to wait until 10 Dec 15:03: HTTP status 429"}},
      {"host's wait over", HostWaits(Now, 1), TFeedMark::NewItems, {"1 new item"}},
      {"feed asked to wait", NotBefore(Now + 120, "retry-after"), TFeedMark::Warning,
       {"Asked to wait until 10 Dec 15:04: retry-after"}},
      {"fresh within max-age", NotBefore(Now + 120, "max-age"), TFeedMark::None, {}},
  };
  // clang-format on
  for (const auto& [name, facts, mark, notes] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FeedMark(facts, Now), mark);
    EXPECT_EQ(FeedNotes(facts, Now, QTimeZone::utc()), notes);
  }
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
