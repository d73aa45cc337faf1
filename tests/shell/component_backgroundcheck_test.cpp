#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <string>

#include "BackgroundCheck.h"
#include "component_support.h"
#include "store/FeedStateDb.h"
#include "support/LoopbackServer.h"

namespace vantle {
namespace {

using test::TLoopbackServer;
using test::TReply;
using test::TServedRequest;

std::string Stories(int count) {
  std::string items;
  for (int i = 0; i < count; ++i)
    items += "<item><title>s</title><guid>story-" + std::to_string(i) + "</guid></item>";
  return "<rss version=\"2.0\"><channel><title>t</title><link>http://x/</link>"
         "<description>d</description>" +
         items + "</channel></rss>";
}

class BackgroundCheck : public ::testing::Test {
 protected:
  std::string DataDir() const { return FRoot.path().toStdString() + "/"; }
  QTemporaryDir FRoot;
};

TEST_F(BackgroundCheck, KeepsWhatEachFeedAnsweredAndCountsTheItemsItFoundFirst) {
  TLoopbackServer server;
  std::atomic<int> items{1};
  server.Route("/grows", [&](const TServedRequest&) {
    return TReply::Content(Stories(items), "application/rss+xml");
  });
  server.Answer("/broken", TReply{.Status = 500});
  TBackgroundCheck check(DataDir());
  QSignalSpy progress(&check, &TBackgroundCheck::Progressed);
  QSignalSpy finished(&check, &TBackgroundCheck::Finished);
  const std::vector<std::string> links = {server.Url("/grows"), server.Url("/broken")};

  for (int found : {0, 2}) {
    SCOPED_TRACE(found);
    items += found;
    progress.clear();
    finished.clear();
    ASSERT_TRUE(check.Start(links));
    EXPECT_FALSE(check.Start(links)) << "one check at a time";
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(check.Running());
    ASSERT_EQ(check.Results().size(), 2u);
    for (const TCheckedFeed& feed : check.Results()) {
      const bool grows = feed.Link == links[0];
      EXPECT_EQ(feed.Result, grows ? TFetchResult::Changed : TFetchResult::Failed);
      EXPECT_EQ(feed.Found, grows ? found : 0);
    }
    ASSERT_EQ(progress.size(), 2);
    EXPECT_EQ(progress.at(1), (QList<QVariant>{2, 2}));
  }
  EXPECT_EQ(TFeedStateDb(DataDir()).UnreadCount(links[0]), 2);
  EXPECT_TRUE(TFeedStateDb(DataDir()).Find(links[1]));
}

TEST_F(BackgroundCheck, StopsWithoutWaitingForAFeedThatDoesNotAnswer) {
  TLoopbackServer server;
  TReply held = TReply::Content(Stories(1), "application/rss+xml");
  held.Gate = std::make_shared<test::TGate>();  // never opened
  server.Answer("/held", held);
  server.Answer("/quick", TReply::Content(Stories(1), "application/rss+xml"));
  auto check = std::make_unique<TBackgroundCheck>(DataDir());
  QSignalSpy progress(check.get(), &TBackgroundCheck::Progressed);
  ASSERT_TRUE(check->Start({server.Url("/held"), server.Url("/quick")}));
  ASSERT_TRUE(progress.wait(30000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Holding() == 1; }, 30000));
  // Gone with the window: what finished is kept, the held feed is as it was.
  check.reset();
  TFeedStateDb state(DataDir());
  EXPECT_TRUE(state.Find(server.Url("/quick")));
  EXPECT_FALSE(state.Find(server.Url("/held")));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
