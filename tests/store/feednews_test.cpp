#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "store/FeedNews.h"

namespace vantle {
namespace {

// A feed state in memory.
class TMemoryState : public IFeedState {
 public:
  std::map<std::string, TFeedRecord> Records;
  std::map<std::string, THostDeferral> Deferrals;

  std::optional<TFeedRecord> Find(const std::string& link) override {
    auto found = Records.find(link);
    return found == Records.end() ? std::nullopt : std::optional(found->second);
  }
  void Save(const TFeedRecord& record) override { Records[record.Link] = record; }
  std::optional<THostDeferral> Deferral(const std::string& origin) override {
    auto found = Deferrals.find(origin);
    return found == Deferrals.end() ? std::nullopt : std::optional(found->second);
  }
  void Defer(const THostDeferral& deferral) override { Deferrals[deferral.Origin] = deferral; }
  void Move(const std::string&, const std::string&) override {}
};

// The host part of a test link "http://host/path".
std::string HostOf(const std::string& link) {
  const size_t start = link.find("//");
  return start == std::string::npos ? std::string() : link.substr(0, link.find('/', start + 2));
}

TEST(FeedNews, GathersEachFeedsRecordDeferralAndUnreadItems) {
  TMemoryState state;
  TFeedRecord failing;
  failing.Link = "http://a/1";
  failing.Standing = TFeedStanding::Failing;
  state.Save(failing);
  state.Defer({"http://b", 99, "HTTP status 429"});
  const std::map<std::string, int> unread = {{"http://c/3", 4}, {"http://elsewhere/", 2}};

  const auto facts = FeedFactsOf(
      state, unread, {"http://a/1", "http://b/2", "http://c/3", "/local/file.xml", "http://a/1"},
      HostOf);
  ASSERT_EQ(facts.size(), 3u) << "feeds nothing is known of are left out";
  EXPECT_EQ(facts.at("http://a/1").Record->Standing, TFeedStanding::Failing);
  EXPECT_FALSE(facts.at("http://a/1").Deferral);
  EXPECT_EQ(facts.at("http://b/2").Deferral->Reason, "HTTP status 429");
  EXPECT_FALSE(facts.at("http://b/2").Record);
  EXPECT_EQ(facts.at("http://c/3").NewItems, 4);
  EXPECT_EQ(facts.at("http://a/1").NewItems, 0);
}

TEST(FeedNews, NamesTheGroupsHoldingAFeedWithUnreadItems) {
  const std::vector<TGroup> groups = {{"News", {{"http://a/", "A"}, {"http://b/", "B"}}},
                                      {"Sport", {{"http://c/", "C"}}},
                                      {"Empty", {}},
                                      {"Tech", {{"http://b/", "B again"}}}};
  EXPECT_EQ(GroupsWithNews(groups, {{"http://b/", 1}, {"http://c/", 0}}),
            (std::set<std::string>{"News", "Tech"}));
  EXPECT_TRUE(GroupsWithNews(groups, {}).empty());
}

}  // namespace
}  // namespace vantle
