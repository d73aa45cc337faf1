// The reader window fetching feeds as their publishers ask: conditional requests, max-age and
// moves, through the data directory's feed state.

#include <QComboBox>
#include <QFile>

#include <string>

#include "GridControl.h"
#include "support/LoopbackServer.h"
#include "window_fixture.h"
#include "window_input.h"

namespace vantle {
namespace {

using test::PressKey;
using test::TFeedRow;
using test::TLoopbackServer;
using test::TReply;
namespace groupfile = test::groupfile;
using THeaders = std::vector<std::pair<std::string, std::string>>;

std::string Feed(const std::string& title) {
  return "<rss version=\"2.0\"><channel><title>" + title +
         "</title><link>https://example.org/</link><description>d</description>"
         "<item><title>An item of " +
         title + "</title></item></channel></rss>";
}

class WindowFetching : public test::TWindowTest {
 protected:
  void PublishFeed(const std::string& path, const std::string& title, THeaders headers) {
    FServer.Publish(path, {.Type = "application/rss+xml", .Body = Feed(title), .Headers = headers});
  }
  std::string Url(const std::string& path) const { return FServer.Url(path); }

  // Starts over a group "News" holding `feeds`, as the active window.
  TfrmControl& StartWith(const std::vector<TFeedRow>& feeds) {
    WriteData("News.dat", groupfile::Group(feeds));
    TfrmControl& window = Start();
    EXPECT_TRUE(test::Activate(window));
    return window;
  }

  // Clicks the title of the row holding `link`.
  void ClickFeed(const std::string& link) {
    TGridControl& grid = *Window->FeedGrid;
    for (int row = 0; row < grid.RowCount(); ++row) {
      if (grid.Cells(0, row) != link) continue;
      const QRect cell = grid.visualRect(grid.model()->index(row, 2));
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
      return;
    }
    ADD_FAILURE() << "no row holds " << link;
  }

  std::string Page() const {
    QFile file(FRoot.filePath(QStringLiteral("tmp/vantle-%1/vantle_tmp.htm").arg(geteuid())));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
  }

  std::string LastAsked(const std::string& header) const {
    return FServer.Requests().back().Header(header);
  }

  TLoopbackServer FServer;
};

TEST_F(WindowFetching, ClickingABackToAAsksConditionallyForTheSamePageAndF5AlwaysAsks) {
  PublishFeed("/a.xml", "A", {{"ETag", "W/\"a-1\""}});
  PublishFeed("/b.xml", "B", {});
  TfrmControl& window = StartWith({{Url("/a.xml"), "A"}, {Url("/b.xml"), "B"}});
  ClickFeed(Url("/a.xml"));
  EXPECT_EQ(LastAsked("If-None-Match"), "");
  const std::string firstPage = Page();
  ClickFeed(Url("/b.xml"));
  ClickFeed(Url("/a.xml"));
  ASSERT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(Page(), firstPage);
  EXPECT_NE(firstPage.find("An item of A"), std::string::npos);
  EXPECT_EQ(FServer.RequestsFor("/a.xml"), 2);
  EXPECT_EQ(LastAsked("If-None-Match"), "W/\"a-1\"");

  // Fresh for an hour from the next answer: a click reads the copy, F5 still asks.
  PublishFeed("/a.xml", "A", {{"ETag", "W/\"a-1\""}, {"Cache-Control", "max-age=3600"}});
  PressKey(Qt::Key_F5);
  ClickFeed(Url("/b.xml"));
  ClickFeed(Url("/a.xml"));
  EXPECT_EQ(Page(), firstPage);
  EXPECT_EQ(FServer.RequestsFor("/a.xml"), 3);
  PressKey(Qt::Key_F5);
  EXPECT_EQ(FServer.RequestsFor("/a.xml"), 4);
}

TEST_F(WindowFetching, AFeedThatMovedForGoodShowsItsNewLinkInTheListAndTheGroupFile) {
  PublishFeed("/new.xml", "New", {});
  for (const auto& [status, moves] : {std::pair{301, true}, std::pair{302, false}}) {
    const std::string old = Url("/m" + std::to_string(status) + ".xml");
    FServer.Publish("/m" + std::to_string(status) + ".xml", TReply::Redirect("/new.xml", status));
    TfrmControl& window = StartWith({{old, "Moved"}});
    ClickFeed(old);
    const std::string shown = moves ? Url("/new.xml") : old;
    EXPECT_EQ(window.CurrentLink(), shown) << status;
    EXPECT_EQ(window.FeedGrid->Cells(0, window.SelectedRow()), shown) << status;
    EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{shown, "Moved"}})) << status;
    Close();
    Window.reset();
  }
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
