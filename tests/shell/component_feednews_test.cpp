#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>

#include "FeedListMarks.h"
#include "FeedListRows.h"
#include "FeedMarkPainter.h"
#include "FeedNewsView.h"
#include "GridControl.h"
#include "SimpleRSS.h"
#include "component_support.h"
#include "store/FeedStateDb.h"
#include "store/Subscriptions.h"

namespace vantle {
namespace {

bool Dotted(const QComboBox& groups, int index) {
  const QIcon icon = groups.itemIcon(index);
  return !icon.isNull() && icon.pixmap(16).toImage().pixelColor(8, 8) == NewItemsColour;
}

TEST(FeedNewsView, MarksFeedsAndGroupsFromTheStateAndClearsAFeedOnceShown) {
  QTemporaryDir root;
  const std::string dataDir = root.path().toStdString() + "/";
  test::TFeedFiles files;
  const std::string a = files.Feed("a.xml", "A").toStdString();
  const std::string b = "http://b.example/feed";
  const std::string c = "http://c.example/feed";
  TSubscriptions subscriptions(dataDir);
  for (const char* group : {"News", "Sport", "Tech"}) subscriptions.CreateGroup(group);
  subscriptions.SaveGroup("Sport", {{c, "C"}});
  // The window's list of News is ahead of its file, which is still empty.
  const std::vector<TFeed> news = {{a, "A"}, {b, "B"}};

  TFeedStateDb state(dataDir);
  state.RecordItems(a, {"guid:old"}, 0);
  state.RecordItems(a, {"guid:old", "guid:1", "guid:2"}, 10);
  state.RecordItems(c, {}, 0);
  state.RecordItems(c, {"guid:x"}, 10);
  TFeedRecord failing;
  failing.Link = b;
  failing.Standing = TFeedStanding::Failing;
  state.Save(failing);
  state.Defer({"http://b.example:80", 50, "HTTP status 429"});

  TGridControl grid;
  SetUpFeedList(grid);
  TFeedListMarks marks(
      grid, [] { return std::string(); }, [] { return TUnixTime{0}; });
  QComboBox groups;
  groups.addItems({"News", "Sport", "Tech"});
  TFeedNewsView view(state, marks, groups, [](const std::string& link) {
    return link.rfind("http://b.example/", 0) == 0 ? "http://b.example:80" : "";
  });

  view.Refresh(subscriptions, "News", news);
  EXPECT_EQ(marks.FactsOf(a).NewItems, 2);
  EXPECT_EQ(marks.FactsOf(b).Record->Standing, TFeedStanding::Failing);
  EXPECT_EQ(marks.FactsOf(b).Deferral->Reason, "HTTP status 429");
  EXPECT_EQ(marks.FactsOf(c).NewItems, 0) << "only the list's feeds are gathered";
  EXPECT_TRUE(Dotted(groups, 0));
  EXPECT_TRUE(Dotted(groups, 1));
  EXPECT_FALSE(Dotted(groups, 2));

  TSimpleRSS reader;
  reader.LoadFromLink(a);
  view.FeedShown(a, reader, 20);
  view.Refresh(subscriptions, "News", news);
  EXPECT_EQ(marks.FactsOf(a).NewItems, 0);
  EXPECT_FALSE(Dotted(groups, 0));
  EXPECT_TRUE(Dotted(groups, 1));
  EXPECT_EQ(groups.itemText(1), "Sport");
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunComponentTests(argc, argv);
}
