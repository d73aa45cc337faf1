#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QLocale>
#include <QToolTip>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CheckIndicator.h"
#include "FeedListRows.h"
#include "FeedMarkPainter.h"
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

std::string Stories(int count) {
  std::string items;
  for (int i = 0; i < count; ++i)
    items += "<item><title>s</title><guid>story-" + std::to_string(i) + "</guid></item>";
  return "<rss version=\"2.0\"><channel><title>t</title><link>http://x/</link>"
         "<description>d</description>" +
         items + "</channel></rss>";
}

// What one row of the feed list shows: its margin's mark and its title's tooltip.
struct TRowLook {
  enum { None, Dot, Warning } mark;
  QString tooltip;
};

class WindowMarks : public test::TWindowTest {
 protected:
  QRect Cell(int row, int col) const {
    return Window->FeedGrid->visualRect(Window->FeedGrid->model()->index(row, col));
  }

  // The tooltip of the title of `row`; empty when none shows.
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

  void CheckAll() {
    TWindowCheck& check = Window->WindowCheck();
    check.CheckAllFeeds1->trigger();
    EXPECT_TRUE(check.Indicator().toolTip().startsWith("Checking 0 of "));
    ASSERT_TRUE(WaitFor([&] { return !check.Checking(); }, 30000));
    ASSERT_TRUE(
        WaitFor([&] { return check.Indicator().toolTip().startsWith("Last check ended"); }));
  }

  // The rows of the feeds with news, then those of the troubled feeds, which never change.
  void ExpectLooks(std::vector<TRowLook> rows, bool groupDotted) {
    rows.insert(rows.end(), Troubled.begin(), Troubled.end());
    const QImage picture = Window->FeedGrid->viewport()->grab().toImage();
    const QColor base = Window->FeedGrid->palette().color(QPalette::Base);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
      SCOPED_TRACE(row);
      const QColor background = row == Window->SelectedRow() ? SelectedRowColour : base;
      const QColor marks[] = {background, NewItemsColour, WarningColour};
      EXPECT_EQ(picture.pixelColor(Cell(row, 1).center()), marks[rows[row].mark]);
      EXPECT_EQ(picture.pixelColor(Cell(row, 1).topLeft()), background);
      EXPECT_EQ(TooltipOf(row), rows[row].tooltip);
    }
    const QIcon dot = Window->GroupBox->itemIcon(0);
    EXPECT_EQ(!dot.isNull() && dot.pixmap(16).toImage().pixelColor(8, 8) == NewItemsColour,
              groupDotted);
    EXPECT_EQ(Window->GroupBox->itemText(0), "News");
  }

  std::vector<TRowLook> Troubled;
};

TEST_F(WindowMarks, MarkNewAndTroubledFeedsUntilTheyAreRead) {
  TLoopbackServer server;
  std::atomic<int> items{1};
  for (const char* path : {"/a", "/b"}) {
    server.Route(path, [&](const TServedRequest&) {
      return TReply::Content(Stories(items), "application/rss+xml");
    });
  }
  server.Answer("/failing", TReply{.Status = 500});
  server.Answer("/gone", TReply{.Status = 410});
  server.Answer("/old", TReply::Redirect(server.Url("/new"), 301));
  server.Answer("/new", TReply::Content(Stories(1), "application/rss+xml"));
  const std::string a = server.Url("/a");
  // Left moved by a check that could not change the group files; a file is never asked again.
  const std::string moved = WriteFeed("moved.xml", "Moved");
  const std::string title = "B" + std::string(80, 'W');
  WriteData("News.dat", groupfile::Group({{a, "Alpha"},
                                          {server.Url("/b"), title},
                                          {server.Url("/failing"), "Charlie"},
                                          {server.Url("/gone"), "Delta"},
                                          {moved, "Echo"}}));
  WriteData("Other.dat", groupfile::Group({{server.Url("/old"), "Old"}}));
  TFeedRecord record;
  record.Link = moved;
  record.Standing = TFeedStanding::Moved;
  record.MovedTo = "https://moved.example/new";
  TFeedStateDb(DataDir()).Save(record);
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_FALSE(window.WindowCheck().Indicator().isVisible()) << "no check ran unasked";

  CheckAll();
  const std::optional<TFeedRecord> failing = TFeedStateDb(DataDir()).Find(server.Url("/failing"));
  ASSERT_TRUE(failing);
  const QString since = QLocale::c().toString(QDateTime::fromSecsSinceEpoch(failing->StandingSince),
                                              QStringLiteral("d MMM HH:mm"));
  Troubled = {{TRowLook::Warning, "Not reachable since " + since + ": " + failing->Reason.c_str()},
              {TRowLook::Warning, "Gone: the server says this feed was removed (410)"},
              {TRowLook::Warning, "Moved to https://moved.example/new"}};
  const QString t = QString::fromStdString(title);
  SCOPED_TRACE("the first check lights nothing up");
  ExpectLooks({{TRowLook::None, ""}, {TRowLook::None, t}}, false);
  // The feed that moved for good is subscribed at its new address.
  EXPECT_EQ(FeedsOnDisk("Other"), (std::vector<TFeedRow>{{server.Url("/new"), "Old"}}));

  const std::vector<std::pair<std::string, std::function<void()>>> steps = {
      {"items added since are new", [&] { items = 3, CheckAll(); }},
      {"reading a feed clears its mark", [&] { window.FeedGridClickCell(0, 2); }},
      {"the feed shown, changed again, asks for F5", [&] { items = 4, CheckAll(); }},
      {"F5 reads it", [&] { window.ShowFeed(a, TRequestKind::Refresh); }},
  };
  const std::vector<std::vector<TRowLook>> looks = {
      {{TRowLook::Dot, "2 new items"}, {TRowLook::Dot, t + "\n2 new items"}},
      {{TRowLook::None, ""}, {TRowLook::Dot, t + "\n2 new items"}},
      {{TRowLook::Dot, "1 new item\nPress F5 to read the new items"},
       {TRowLook::Dot, t + "\n3 new items"}},
      {{TRowLook::None, ""}, {TRowLook::Dot, t + "\n3 new items"}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(steps[i].first);
    steps[i].second();
    ExpectLooks(looks[i], true);
  }
  // The indicator sits in the tool row, over no other control; the margin's cells stay empty.
  const QWidget& indicator = window.WindowCheck().Indicator();
  for (QWidget* control : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    EXPECT_TRUE(control == &indicator || !control->isVisible() || qobject_cast<QFrame*>(control) ||
                !control->geometry().intersects(indicator.geometry()))
        << control->metaObject()->className();
  }
  Close();
  TGridControl written;
  written.LoadFromBytes(ReadData("News.dat"));
  for (int row = 0; row < written.RowCount(); ++row) EXPECT_EQ(written.Cells(1, row), "");
}

TEST_F(WindowMarks, ClosingTheWindowEndsACheckKeepingWhatFinished) {
  TLoopbackServer server;
  server.Answer("/held", {.Status = 500, .Gate = std::make_shared<test::TGate>()});  // never opened
  server.Answer("/quick", {.Status = 500});
  WriteData("News.dat",
            groupfile::Group({{server.Url("/held"), "H"}, {server.Url("/quick"), "Q"}}));
  TfrmControl& window = Start();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.WindowCheck().CheckAllFeeds(true);
  ASSERT_TRUE(WaitFor(
      [&] { return server.Holding() == 1 && TFeedStateDb(DataDir()).Find(server.Url("/quick")); },
      30000));
  Close();
  Window.reset();
  EXPECT_FALSE(TFeedStateDb(DataDir()).Find(server.Url("/held")));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
