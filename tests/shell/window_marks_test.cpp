#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QLocale>
#include <QToolTip>

#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CheckIndicator.h"
#include "FeedListMarks.h"
#include "FeedListRows.h"
#include "FeedMarkPainter.h"
#include "ItemIdentity.h"
#include "SimpleRSS.h"
#include "WindowCheck.h"
#include "store/FeedStateDb.h"
#include "support/LoopbackServer.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::TFeedRow;
using test::TLoopbackServer;
using test::TReply;
using test::TServedRequest;
using test::WaitFor;
namespace groupfile = test::groupfile;

// What one row of the feed list shows.
struct TRowLook {
  enum { None, Dot, Warning } mark;
  QString tooltip;
};

// Something done, then how each row looks and whether the first group is dotted.
struct TStep {
  std::string name;
  std::function<void()> run;
  std::vector<TRowLook> rows;
  bool groupDotted;
};

class WindowMarks : public test::TWindowTest {
 protected:
  QRect Cell(int row, int col) const {
    TGridControl& grid = *Window->FeedGrid;
    return grid.visualRect(grid.model()->index(row, col));
  }

  // The tooltip of the title of `row`, once shown; empty when none shows.
  QString TooltipOf(int row) {
    QWidget& viewport = *Window->FeedGrid->viewport();
    const QPoint at = Cell(row, 2).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport.mapToGlobal(at));
    QApplication::sendEvent(&viewport, &help);
    if (!QToolTip::isVisible()) return {};
    const QString text = QToolTip::text();
    QToolTip::hideText();
    WaitFor([] { return !QToolTip::isVisible(); }, 5000);
    return text;
  }

  // Reads `link` as a check would, noting its items in the state.
  void Check(const std::string& link) {
    TSimpleRSS reader;
    reader.LoadFromLink(link);
    TFeedStateDb(DataDir()).RecordItems(link, ItemIdentities(reader.Items()), std::time(nullptr));
  }

  // A feed of `items` stories, written under feeds/.
  std::string WriteStories(const QString& name, int items) {
    std::string stories;
    for (int i = 0; i < items; ++i) {
      stories += "<item><title>Story " + std::to_string(i) + "</title><link>https://example.org/" +
                 std::to_string(i) + "</link></item>";
    }
    const QString path = FRoot.filePath(QStringLiteral("feeds/") + name);
    test::WriteFile(path,
                    "<rss version=\"2.0\"><channel><title>T</title><link>https://example.org/"
                    "</link><description>D</description>" +
                        stories + "</channel></rss>");
    return path.toStdString();
  }
};

TEST_F(WindowMarks, MarkNewAndTroubledFeedsUntilTheyAreRead) {
  const std::string a = WriteStories("a.xml", 1);
  const std::string b = WriteStories("b.xml", 1);
  const std::string failing = "http://failing.example/feed";
  const std::string gone = "http://gone.example/feed";
  const std::string moved = "http://moved.example/feed";
  const std::string longTitle = "B" + std::string(80, 'W');
  WriteData(
      "News.dat",
      groupfile::Group(
          {{a, "Alpha"}, {b, longTitle}, {failing, "Charlie"}, {gone, "Delta"}, {moved, "Echo"}}));
  WriteData("Other.dat", groupfile::Group({{WriteStories("o.xml", 1), "Other"}}));
  {
    TFeedStateDb state(DataDir());
    TFeedRecord record;
    record.Link = failing;
    record.Standing = TFeedStanding::Failing;
    record.StandingSince = 1796911320;
    record.Reason = "host not found (DNS)";
    state.Save(record);
    record.Link = gone;
    record.Standing = TFeedStanding::Gone;
    record.Reason = "the server says this feed was removed (410)";
    state.Save(record);
    record.Link = moved;
    record.Standing = TFeedStanding::Moved;
    record.MovedTo = "https://moved.example/new";
    state.Save(record);
  }
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QString since = QStringLiteral("Not reachable since %1: host not found (DNS)")
                            .arg(QLocale::c().toString(QDateTime::fromSecsSinceEpoch(1796911320),
                                                       QStringLiteral("d MMM HH:mm")));
  const TRowLook troubled[] = {
      {TRowLook::Warning, since},
      {TRowLook::Warning, "Gone: the server says this feed was removed (410)"},
      {TRowLook::Warning, "Moved to https://moved.example/new"}};
  const QString title = QString::fromStdString(longTitle);

  const std::vector<TStep> steps = {
      {"first sightings light nothing up",
       [&] {
         Check(a);
         Check(b);
         window.RefreshNews();
       },
       {{TRowLook::None, ""}, {TRowLook::None, title}, troubled[0], troubled[1], troubled[2]},
       false},
      {"items added since are new",
       [&] {
         WriteStories("a.xml", 3);
         WriteStories("b.xml", 2);
         Check(a);
         Check(b);
         window.RefreshNews();
       },
       {{TRowLook::Dot, "2 new items"},
        {TRowLook::Dot, title + "\n1 new item"},
        troubled[0],
        troubled[1],
        troubled[2]},
       true},
      {"reading a feed clears its mark",
       [&] {
         window.FeedGridClickCell(0, 2);
         ASSERT_TRUE(WaitFor([&] { return window.CurrentLink() == a; }));
       },
       {{TRowLook::None, ""},
        {TRowLook::Dot, title + "\n1 new item"},
        troubled[0],
        troubled[1],
        troubled[2]},
       true},
      {"the feed shown, changed again, asks for F5",
       [&] {
         WriteStories("a.xml", 4);
         Check(a);
         window.RefreshNews();
       },
       {{TRowLook::Dot, "1 new item\nPress F5 to read the new items"},
        {TRowLook::Dot, title + "\n1 new item"},
        troubled[0],
        troubled[1],
        troubled[2]},
       true},
      {"F5 reads it",
       [&] { window.ShowFeed(a, TRequestKind::Refresh); },
       {{TRowLook::None, ""},
        {TRowLook::Dot, title + "\n1 new item"},
        troubled[0],
        troubled[1],
        troubled[2]},
       true},
  };
  const QColor base = window.FeedGrid->palette().color(QPalette::Base);
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.name);
    step.run();
    const QImage picture = window.FeedGrid->viewport()->grab().toImage();
    for (size_t row = 0; row < step.rows.size(); ++row) {
      SCOPED_TRACE(row);
      const QRect margin = Cell(static_cast<int>(row), 1);
      const QColor background =
          static_cast<int>(row) == window.SelectedRow() ? SelectedRowColour : base;
      const QColor marks[] = {background, NewItemsColour, WarningColour};
      EXPECT_EQ(picture.pixelColor(margin.center()), marks[step.rows[row].mark]);
      EXPECT_EQ(picture.pixelColor(margin.topLeft()), background);
      EXPECT_EQ(TooltipOf(static_cast<int>(row)), step.rows[row].tooltip);
    }
    const QIcon dot = window.GroupBox->itemIcon(0);
    EXPECT_EQ(!dot.isNull() && dot.pixmap(16).toImage().pixelColor(8, 8) == NewItemsColour,
              step.groupDotted);
    EXPECT_EQ(window.GroupBox->itemText(0), "News");
  }
  // The margin's cells stay empty, in the list and in the file written from it.
  Close();
  TGridControl written;
  written.LoadFromBytes(ReadData("News.dat"));
  ASSERT_EQ(written.RowCount(), 5);
  for (int row = 0; row < written.RowCount(); ++row) EXPECT_EQ(written.Cells(1, row), "");
}

std::string Stories(int count) {
  std::string items;
  for (int i = 0; i < count; ++i)
    items += "<item><title>s</title><guid>story-" + std::to_string(i) + "</guid></item>";
  return "<rss version=\"2.0\"><channel><title>t</title><link>http://x/</link>"
         "<description>d</description>" +
         items + "</channel></rss>";
}

TEST_F(WindowMarks, CheckAllFeedsMarksTheNewsAndFollowsMovesWhileTheWindowGoesOn) {
  TLoopbackServer server;
  std::atomic<int> items{1};
  server.Route("/grows", [&](const TServedRequest&) {
    return TReply::Content(Stories(items), "application/rss+xml");
  });
  server.Route("/other", [&](const TServedRequest&) {
    return TReply::Content(Stories(items), "application/rss+xml");
  });
  server.Answer("/old", TReply::Redirect(server.Url("/new"), 301));
  server.Answer("/new", TReply::Content(Stories(1), "application/rss+xml"));
  WriteData("News.dat", groupfile::Group({{server.Url("/grows"), "Grows"}}));
  WriteData("Other.dat",
            groupfile::Group({{server.Url("/other"), "Other"}, {server.Url("/old"), "Old"}}));
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  TWindowCheck& check = window.WindowCheck();
  EXPECT_FALSE(check.Indicator().isVisible()) << "no check ran unasked";

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    items = 1 + 2 * round;
    check.CheckAllFeeds1->trigger();
    EXPECT_TRUE(check.Checking());
    EXPECT_TRUE(check.Indicator().toolTip().startsWith("Checking "))
        << check.Indicator().toolTip().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !check.Checking(); }, 30000));
    ASSERT_TRUE(
        WaitFor([&] { return check.Indicator().toolTip().startsWith("Last check ended "); }));
  }
  EXPECT_EQ(window.FeedMarks().MarkOf(0), TFeedMark::NewItems);
  EXPECT_EQ(window.FeedMarks().NotesOf(0), QStringList{"2 new items"});
  for (int group : {0, 1}) EXPECT_FALSE(window.GroupBox->itemIcon(group).isNull());
  // The moved feed is subscribed at its new address.
  std::vector<std::string> links;
  for (const TFeedRow& row : FeedsOnDisk("Other")) links.push_back(row.Link);
  EXPECT_EQ(links, (std::vector<std::string>{server.Url("/new"), server.Url("/other")}));
  // The indicator sits in the tool row, over no other control.
  const QRect indicator = check.Indicator().geometry();
  EXPECT_TRUE(check.Indicator().isVisible());
  for (QWidget* control : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (control != &check.Indicator() && control->isVisible() && !qobject_cast<QFrame*>(control)) {
      EXPECT_FALSE(control->geometry().intersects(indicator)) << control->metaObject()->className();
    }
  }
}

TEST_F(WindowMarks, ClosingTheWindowEndsACheckKeepingWhatFinished) {
  TLoopbackServer server;
  TReply held = TReply::Content(Stories(1), "application/rss+xml");
  held.Gate = std::make_shared<test::TGate>();  // never opened
  server.Answer("/held", held);
  server.Answer("/quick", TReply::Content(Stories(1), "application/rss+xml"));
  WriteData("News.dat",
            groupfile::Group({{server.Url("/held"), "Held"}, {server.Url("/quick"), "Quick"}}));
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.WindowCheck().CheckAllFeeds(true);
  ASSERT_TRUE(WaitFor(
      [&] { return server.Holding() == 1 && TFeedStateDb(DataDir()).Find(server.Url("/quick")); },
      30000));
  Close();
  Window.reset();
  TFeedStateDb state(DataDir());
  EXPECT_FALSE(state.Find(server.Url("/held")));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
