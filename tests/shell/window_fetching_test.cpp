// The reader window fetching feeds as their publishers ask: conditional requests, max-age,
// gone feeds and moves, through the data directory's feed state.

#include <QComboBox>
#include <QFile>
#include <QLabel>

#include <mutex>
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
using test::TServedRequest;
namespace groupfile = test::groupfile;

std::string Feed(const std::string& title) {
  return "<rss version=\"2.0\"><channel><title>" + title +
         "</title><link>https://example.org/</link><description>d</description>"
         "<item><title>An item of " +
         title + "</title></item></channel></rss>";
}

class WindowFetching : public test::TWindowTest {
 protected:
  void SetUp() override {
    test::TWindowTest::SetUp();
    FServer.Route("/.*", [this](const TServedRequest& request) {
      std::lock_guard lock(FMutex);
      const auto found = FReplies.find(request.Path);
      if (found == FReplies.end()) return TReply{.Status = 404};
      return TReply::Conditional(request, found->second);
    });
  }

  void Publish(const std::string& path, TReply reply) {
    std::lock_guard lock(FMutex);
    FReplies[path] = std::move(reply);
  }

  void PublishFeed(const std::string& path, const std::string& title,
                   std::vector<std::pair<std::string, std::string>> headers) {
    TReply reply = TReply::Content(Feed(title), "application/rss+xml");
    reply.Headers = std::move(headers);
    Publish(path, reply);
  }

  std::string Url(const std::string& path) const { return FServer.Url(path); }

  // Starts over a group "News" holding `feeds`, as the active window.
  TfrmControl& StartWith(const std::vector<TFeedRow>& feeds) {
    WriteData("News.dat", groupfile::Group(feeds));
    TfrmControl& window = Start();
    EXPECT_TRUE(test::Activate(window));
    return window;
  }

  void ClickRow(int row) {
    TGridControl& grid = *Window->FeedGrid;
    const QRect cell = grid.visualRect(grid.model()->index(row, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  }

  // The row of `link` in the list; -1 when none holds it.
  int RowOf(const std::string& link) const {
    for (int row = 0; row < Window->FeedGrid->RowCount(); ++row)
      if (Window->FeedGrid->Cells(0, row) == link) return row;
    return -1;
  }

  std::string Page() const {
    QFile file(FRoot.filePath(QStringLiteral("tmp/vantle-%1/vantle_tmp.htm").arg(geteuid())));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
  }

  std::vector<TServedRequest> RequestsFor(const std::string& path) const {
    std::vector<TServedRequest> requests;
    for (const TServedRequest& request : FServer.Requests())
      if (request.Path == path) requests.push_back(request);
    return requests;
  }

  std::string ErrorTip() const {
    return Window->ErrorTab->findChildren<QLabel*>().front()->toolTip().toStdString();
  }

  TLoopbackServer FServer;
  std::mutex FMutex;
  std::map<std::string, TReply> FReplies;
};

TEST_F(WindowFetching, ClickingABackToAAsksConditionallyForTheSamePageAndF5AlwaysAsks) {
  PublishFeed("/a.xml", "A", {{"ETag", "W/\"a-1\""}});
  PublishFeed("/b.xml", "B", {});
  TfrmControl& window = StartWith({{Url("/a.xml"), "A"}, {Url("/b.xml"), "B"}});
  ClickRow(RowOf(Url("/a.xml")));
  const std::string firstPage = Page();
  ClickRow(RowOf(Url("/b.xml")));
  ClickRow(RowOf(Url("/a.xml")));
  ASSERT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(Page(), firstPage);
  EXPECT_NE(firstPage.find("An item of A"), std::string::npos);
  ASSERT_EQ(RequestsFor("/a.xml").size(), 2u);
  EXPECT_EQ(RequestsFor("/a.xml")[0].Header("If-None-Match"), "");
  EXPECT_EQ(RequestsFor("/a.xml")[1].Header("If-None-Match"), "W/\"a-1\"");

  // Fresh for an hour from the next answer: a click reads the copy, F5 still asks.
  PublishFeed("/a.xml", "A", {{"ETag", "W/\"a-1\""}, {"Cache-Control", "max-age=3600"}});
  PressKey(Qt::Key_F5);
  ClickRow(RowOf(Url("/b.xml")));
  ClickRow(RowOf(Url("/a.xml")));
  EXPECT_EQ(Page(), firstPage);
  EXPECT_EQ(RequestsFor("/a.xml").size(), 3u);
  PressKey(Qt::Key_F5);
  EXPECT_EQ(RequestsFor("/a.xml").size(), 4u);
}

TEST_F(WindowFetching, AFeedThatMovedForGoodShowsItsNewLinkInTheListAndTheGroupFile) {
  PublishFeed("/new.xml", "New", {});
  PublishFeed("/held.xml", "Held", {});
  for (const auto& [status, moves] :
       {std::pair{301, true}, std::pair{308, true}, std::pair{302, false}, std::pair{307, false}}) {
    const std::string old = Url("/m" + std::to_string(status) + ".xml");
    Publish("/m" + std::to_string(status) + ".xml", TReply::Redirect("/new.xml", status));
    TfrmControl& window = StartWith({{old, "Moved"}});
    ClickRow(0);
    const std::string shown = moves ? Url("/new.xml") : old;
    EXPECT_EQ(window.CurrentLink(), shown) << status;
    EXPECT_EQ(window.FeedGrid->Cells(0, window.SelectedRow()), shown) << status;
    EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{shown, "Moved"}})) << status;
    Close();
    Window.reset();
  }
  // A group that holds the new link already keeps one row of it.
  Publish("/old.xml", TReply::Redirect("/held.xml", 301));
  TfrmControl& window = StartWith({{Url("/old.xml"), "Old"}, {Url("/held.xml"), "Held"}});
  ClickRow(RowOf(Url("/old.xml")));
  EXPECT_EQ(window.CurrentLink(), Url("/held.xml"));
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{Url("/held.xml"), "Held"}}));
  EXPECT_EQ(window.FeedGrid->RowCount(), 1);
}

TEST_F(WindowFetching, AGoneFeedIsAskedOnceAndItsErrorPageSaysWhy) {
  Publish("/gone.xml", {.Status = 410});
  PublishFeed("/b.xml", "B", {});
  TfrmControl& window = StartWith({{Url("/gone.xml"), "Gone"}, {Url("/b.xml"), "B"}});
  ClickRow(RowOf(Url("/gone.xml")));
  EXPECT_EQ(ErrorTip(), Url("/gone.xml") + ": HTTP status 410");
  ClickRow(RowOf(Url("/b.xml")));
  ClickRow(RowOf(Url("/gone.xml")));
  ASSERT_EQ(window.BasePageControl->ActivePage(), window.ErrorTab);
  EXPECT_EQ(ErrorTip(),
            Url("/gone.xml") + ": HTTP status 410; gone, not asked again until refreshed");
  EXPECT_EQ(RequestsFor("/gone.xml").size(), 1u);
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
