#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <chrono>
#include <thread>

#include "CheckIndicator.h"
#include "FeedListRows.h"
#include "SimpleRSS.h"
#include "UFeedViews.h"
#include "WebBrowser.h"
#include "WindowCheck.h"
#include "support/LoopbackServer.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::Box;
using test::TLoopbackServer;
using test::TModalScript;
using test::TReply;
using test::WaitFor;
namespace groupfile = test::groupfile;

class WindowReading : public test::TWindowTest {
 protected:
  // A browser page load reported as finished.
  bool WaitForPage(QSignalSpy& loads, int count = 1) {
    return WaitFor([&] { return loads.count() >= count; }, 30000);
  }

  // Clicks the title of `row` in the feed list.
  void ClickRow(int row) {
    TGridControl& grid = *Window->FeedGrid;
    const QRect cell = grid.visualRect(grid.model()->index(row, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  }

  std::string PagePath() const {
    return FRoot.filePath(QStringLiteral("tmp/vantle-%1/vantle_tmp.htm").arg(geteuid()))
        .toStdString();
  }

  std::string Page() const {
    QFile file(QString::fromStdString(PagePath()));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
  }

  // The page the views make of `link` in `style`, for comparison.
  std::string RenderedElsewhere(const std::string& link, uint8_t style) {
    struct TNoBrowser : IWebBrowser {
      void Navigate(const std::string&) override {}
    } browser;
    TSimpleRSS reader;
    reader.LoadFromLink(link);
    const QString path = FRoot.filePath(QStringLiteral("expected.htm"));
    ShowFeedView(reader, browser, style, path.toStdString());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
  }

  // Starts over a group "Feeds" holding `rows` (in list order).
  TfrmControl& StartWith(const std::vector<test::TFeedRow>& rows) {
    WriteData("Feeds.dat", groupfile::Group(rows));
    return Start();
  }

  void ChooseStyle(int index) {
    QComboBox& combo = *Window->comboViewStyle;
    while (combo.currentIndex() < index) {
      QTest::keyClick(&combo, Qt::Key_Down);
    }
    while (combo.currentIndex() > index) {
      QTest::keyClick(&combo, Qt::Key_Up);
    }
  }
};

TEST_F(WindowReading, AClickLoadsALocalFeedAndShowsItInTheBrowser) {
  const std::string link = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{link, "Alpha"}});
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(0);

  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(window.CurrentLink(), link);
  EXPECT_EQ(window.CurrentTitle(), "Alpha");
  EXPECT_EQ(window.SelectedRow(), 0);
  EXPECT_TRUE(window.btnBack->isEnabled());
  EXPECT_FALSE(window.btnForward->isEnabled());
  EXPECT_TRUE(window.btnEditFeed->isEnabled());
  EXPECT_TRUE(window.comboViewStyle->isEnabled());
  EXPECT_TRUE(window.lblViewStyle->isEnabled());
  EXPECT_TRUE(window.EditFeed1->isEnabled());
  EXPECT_TRUE(window.DeleteFeed1->isEnabled());
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor is gone";
  EXPECT_NE(Page().find("Alpha Daily"), std::string::npos);
  EXPECT_EQ(Page(), RenderedElsewhere(link, 0));

  ASSERT_TRUE(WaitForPage(loads));
  EXPECT_EQ(window.WebBrowser->LocationName(), "vantle_tmp.htm");
  EXPECT_EQ(window.edLink->text().toStdString(), link);
  EXPECT_FALSE(window.pnlProgress->isVisibleTo(window.BrowserTab));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowReading, AClickOnTheFeedShownLoadsNothing) {
  const std::string link = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{link, "Alpha"}});
  ClickRow(0);
  ASSERT_EQ(window.CurrentLink(), link);
  // A reload would bring the new title and write the page again.
  WriteFeed("alpha.xml", "Changed Title");
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PagePath())));
  ClickRow(0);
  EXPECT_EQ(Page(), "<missing>");
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
}

TEST_F(WindowReading, AFeedShownThatACheckFindsMovedIsShownUnderItsNewLinkAndNotReadAgain) {
  TLoopbackServer server;
  const std::string feed =
      "<rss version=\"2.0\"><channel><title>T</title><link>http://x/</link>"
      "<description>d</description></channel></rss>";
  // Whether the group holds the new link already, so that the moved row goes.
  for (const bool held : {false, true}) {
    SCOPED_TRACE(held);
    const std::string tag = held ? "held" : "alone";
    const std::string old = server.Url("/" + tag + "-old.xml");
    const std::string moved = server.Url("/" + tag + "-new.xml");
    server.Publish("/" + tag + "-old.xml", TReply::Content(feed, "application/rss+xml"));
    server.Publish("/" + tag + "-new.xml", TReply::Content(feed, "application/rss+xml"));
    // Sorted by title, the held row comes first, so that the moved row's index changes.
    std::vector<test::TFeedRow> rows = {{"/nowhere", "A"}, {old, "B Old"}};
    if (held) rows.push_back({moved, "0 New"});
    TfrmControl& window = StartWith(rows);
    QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
    ClickRow(FeedRow(*window.FeedGrid, old, "B Old"));
    ASSERT_EQ(window.CurrentLink(), old);
    ASSERT_TRUE(WaitForPage(loads));
    server.Publish("/" + tag + "-old.xml", TReply::Redirect(moved, 301));

    window.WindowCheck().CheckAllFeeds(true);
    ASSERT_TRUE(WaitFor(
        [&] { return window.WindowCheck().Indicator().toolTip().startsWith("Last check ended"); },
        30000));
    EXPECT_EQ(window.CurrentLink(), moved);
    EXPECT_EQ(window.edLink->text().toStdString(), moved);
    EXPECT_EQ(window.FeedGrid->RowCount(), 2);
    ASSERT_EQ(window.SelectedRow(), FeedRow(*window.FeedGrid, moved, held ? "0 New" : "B Old"));
    ASSERT_TRUE(QFile::remove(QString::fromStdString(PagePath())));
    ClickRow(window.SelectedRow());
    EXPECT_EQ(Page(), "<missing>") << "the feed shown is not read again";
    Close();
    Window.reset();
  }
}

TEST_F(WindowReading, TheSelectionStaysOnItsFeedWhenACheckRemovesAMovedRowAboveIt) {
  TLoopbackServer server;
  const TReply feed = TReply::Content(
      "<rss version=\"2.0\"><channel><title>T</title><link>http://x/</link>"
      "<description>d</description></channel></rss>",
      "application/rss+xml");
  for (const char* path : {"/new.xml", "/old.xml", "/c.xml", "/d.xml"}) server.Publish(path, feed);
  const std::string c = server.Url("/c.xml");
  // Sorted by title: the row of "B Old" goes once it moves to the link "A New" holds.
  TfrmControl& window = StartWith({{server.Url("/new.xml"), "A New"},
                                   {server.Url("/old.xml"), "B Old"},
                                   {c, "C"},
                                   {server.Url("/d.xml"), "D"}});
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(FeedRow(*window.FeedGrid, c, "C"));
  ASSERT_TRUE(WaitForPage(loads));
  server.Publish("/old.xml", TReply::Redirect(server.Url("/new.xml"), 301));

  window.WindowCheck().CheckAllFeeds(true);
  ASSERT_TRUE(WaitFor(
      [&] { return window.WindowCheck().Indicator().toolTip().startsWith("Last check ended"); },
      30000));
  ASSERT_EQ(window.FeedGrid->RowCount(), 3);
  EXPECT_EQ(window.SelectedRow(), FeedRow(*window.FeedGrid, c, "C"));
}

TEST_F(WindowReading, AFailedLoadShowsTheErrorPageAndKeepsTheFeedShown) {
  const std::string good = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{good, "Alpha"}, {MissingFeed(), "Broken"}});
  ClickRow(0);
  ClickRow(1);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.ErrorTab);
  EXPECT_EQ(window.CurrentLink(), good);
  EXPECT_EQ(window.CurrentTitle(), "Broken");
  EXPECT_EQ(window.SelectedRow(), 1);
  EXPECT_TRUE(window.btnEditFeed->isEnabled());
  EXPECT_TRUE(window.comboViewStyle->isEnabled());
  EXPECT_TRUE(window.btnBack->isEnabled());
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // The feed still current is read again: the error page showed another feed.
  WriteFeed("alpha.xml", "Alpha Read Again");
  ClickRow(0);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_NE(Page().find("Alpha Read Again"), std::string::npos);
  EXPECT_EQ(window.CurrentLink(), good);
  EXPECT_EQ(window.SelectedRow(), 0);
}

TEST_F(WindowReading, AFailedFirstLoadLeavesTheFeedCommandsOff) {
  TfrmControl& window = StartWith({{MissingFeed(), "Broken"}});
  ClickRow(0);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.ErrorTab);
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_FALSE(window.comboViewStyle->isEnabled());
  EXPECT_FALSE(window.btnBack->isEnabled());
}

TEST_F(WindowReading, TheErrorPageTellsTheLibrarysReasonOnItsTextAndPicture) {
  TLoopbackServer server;
  const QString untitledPath = FRoot.filePath(QStringLiteral("untitled.xml"));
  test::WriteFile(untitledPath, "<feed><entry/></feed>");
  const std::string untitled = untitledPath.toStdString();
  TfrmControl& window = StartWith({{server.Url("/gone.xml"), "Gone"}, {untitled, "Untitled"}});
  const QList<QLabel*> labels = window.ErrorTab->findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 2) << "the picture and the text";
  for (const auto& [row, reason] :
       {std::pair{0, server.Url("/gone.xml") + ": HTTP status 404"},
        std::pair{1, std::string("Required Field Missing. Field: entry -> title")}}) {
    ClickRow(row);
    ASSERT_EQ(window.BasePageControl->ActivePage(), window.ErrorTab);
    for (QLabel* label : labels) EXPECT_EQ(label->toolTip().toStdString(), reason);
  }
}

TEST_F(WindowReading, ShowsTheLoadingPageAndDisablesTheListWhileAFeedLoads) {
  TLoopbackServer server;
  server.Serve("/slow.xml", "application/rss+xml",
               "<rss version=\"2.0\"><channel><title>Slow</title><link>https://example.org/</link>"
               "<description>d</description></channel></rss>",
               std::chrono::milliseconds(1500));
  TfrmControl& window = StartWith({{server.Url("/slow.xml"), "Slow"}});
  struct TSeen {
    bool During = false;
    QWidget* Page = nullptr;
    bool ListEnabled = true;
    bool Busy = false;
  } seen;
  QTimer::singleShot(200, [&] {
    seen.During = window.CurrentLink().empty();
    seen.Page = window.BasePageControl->ActivePage();
    seen.ListEnabled = window.FeedGrid->isEnabled();
    seen.Busy = QApplication::overrideCursor() != nullptr &&
                QApplication::overrideCursor()->shape() == Qt::WaitCursor;
  });
  ClickRow(0);
  EXPECT_TRUE(seen.During) << "the window ran its timers while the feed loaded";
  EXPECT_EQ(seen.Page, window.LoadingTab);
  EXPECT_FALSE(seen.ListEnabled);
  EXPECT_TRUE(seen.Busy);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_TRUE(window.FeedGrid->isEnabled());
}

TEST_F(WindowReading, ClosingDuringALoadWaitsForTheLoadToEnd) {
  TLoopbackServer server;
  server.Serve("/slow.xml", "application/rss+xml",
               "<rss version=\"2.0\"><channel><title>Slow</title><link>https://example.org/</link>"
               "<description>d</description></channel></rss>",
               std::chrono::milliseconds(1500));
  TfrmControl& window = StartWith({{server.Url("/slow.xml"), "Slow"}});
  bool closedDuringLoad = true;
  QTimer::singleShot(200, [&] { closedDuringLoad = window.close(); });
  ClickRow(0);
  EXPECT_FALSE(closedDuringLoad);
  EXPECT_TRUE(window.isVisible());
  ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
  EXPECT_TRUE(DataExists("Settings.ruv"));
  EXPECT_EQ(window.FeedReader(), nullptr);
}

TEST_F(WindowReading, BackRightAfterTheFirstFeedReturnsHome) {
  const std::string link = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{link, "Alpha"}});
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(0);
  ASSERT_TRUE(WaitForPage(loads));
  QTest::mouseClick(window.btnBack, Qt::LeftButton);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_FALSE(window.btnBack->isEnabled());
  EXPECT_FALSE(window.btnForward->isEnabled());
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_FALSE(window.comboViewStyle->isEnabled());
  EXPECT_FALSE(window.lblViewStyle->isEnabled());
}

TEST_F(WindowReading, WalksTheBrowsersHistoryOfAFeedServedOverHttp) {
  TLoopbackServer server;
  server.Serve("/story.html", "text/html", "<html><body><p>The story</p></body></html>");
  server.Serve("/feed.xml", "application/rss+xml",
               "<rss version=\"2.0\"><channel><title>Served Feed</title>"
               "<link>https://example.org/</link><description>d</description><item>"
               "<title>Story</title><link>" +
                   server.Url("/story.html") +
                   "</link><description>s</description></item></channel></rss>");
  const std::string link = server.Url("/feed.xml");
  TfrmControl& window = StartWith({{link, "Served"}});
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(0);
  ASSERT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_NE(Page().find("Served Feed"), std::string::npos);
  ASSERT_TRUE(WaitForPage(loads, 1));
  EXPECT_EQ(window.edLink->text().toStdString(), link);

  // The user follows the item's link inside the browser.
  window.WebBrowser->View()->load(QUrl(QString::fromStdString(server.Url("/story.html"))));
  ASSERT_TRUE(WaitForPage(loads, 2));
  EXPECT_EQ(window.edLink->text().toStdString(), server.Url("/story.html"));
  EXPECT_FALSE(window.btnForward->isEnabled());

  window.btnBackClick();
  EXPECT_TRUE(window.btnForward->isEnabled());
  ASSERT_TRUE(WaitForPage(loads, 3));
  EXPECT_EQ(window.edLink->text().toStdString(), link) << "the generated page shows the feed";
  EXPECT_EQ(window.CurrentLink(), link);

  window.btnForwardClick();
  EXPECT_TRUE(window.btnForward->isEnabled());
  ASSERT_TRUE(WaitForPage(loads, 4));
  EXPECT_EQ(window.edLink->text().toStdString(), server.Url("/story.html"));
  window.btnForwardClick();
  EXPECT_FALSE(window.btnForward->isEnabled()) << "there was no later page";
  EXPECT_TRUE(window.btnBack->isEnabled());
}

// A feed of `items` stories, each linking to `story`: a page taller than the window.
std::string LongFeed(const std::string& title, const std::string& story, int items = 60) {
  std::string feed = "<rss version=\"2.0\"><channel><title>" + title +
                     "</title><link>https://example.org/</link><description>d</description>";
  for (int i = 0; i < items; ++i) {
    feed += "<item><title>Story " + std::to_string(i) + "</title><link>" + story +
            "</link><description>A story long enough to take some room.</description></item>";
  }
  return feed + "</channel></rss>";
}

TEST_F(WindowReading, EachFeedLoadIsANewPageFromItsTopAndForwardLeadsToNoOtherFeed) {
  TLoopbackServer server;
  server.Serve("/story.html", "text/html", "<html><body><p>The story</p></body></html>");
  server.Serve("/a.xml", "application/rss+xml", LongFeed("Feed A", server.Url("/story.html")));
  server.Serve("/b.xml", "application/rss+xml", LongFeed("Feed B", server.Url("/story.html")));
  TfrmControl& window = StartWith({{server.Url("/a.xml"), "A"}, {server.Url("/b.xml"), "B"}});
  QWebEngineView& view = *window.WebBrowser->View();
  QSignalSpy loads(&view, &QWebEngineView::loadFinished);
  const auto scrollTop = [&] {
    QVariant top;
    view.page()->runJavaScript(QStringLiteral("window.scrollY"), QWebEngineScript::ApplicationWorld,
                               [&](const QVariant& value) { top = value; });
    EXPECT_TRUE(WaitFor([&] { return top.isValid(); }));
    return top.toInt();
  };

  ClickRow(0);
  ASSERT_TRUE(WaitForPage(loads, 1));
  view.page()->runJavaScript(QStringLiteral("window.scrollTo(0, 1500)"),
                             QWebEngineScript::ApplicationWorld);
  ASSERT_TRUE(WaitFor([&] { return scrollTop() > 0; }));
  ClickRow(1);
  ASSERT_TRUE(WaitForPage(loads, 2));
  EXPECT_EQ(scrollTop(), 0) << "a new feed opens at its top";

  // An item link followed on B's page, Back to it, then A: Forward has nowhere to go.
  view.load(QUrl(QString::fromStdString(server.Url("/story.html"))));
  ASSERT_TRUE(WaitForPage(loads, 3));
  window.btnBackClick();
  ASSERT_TRUE(WaitForPage(loads, 4));
  ClickRow(0);
  ASSERT_TRUE(WaitForPage(loads, 5));
  window.btnForwardClick();
  QTest::qWait(500);
  EXPECT_FALSE(window.btnForward->isEnabled());
  EXPECT_EQ(window.edLink->text().toStdString(), server.Url("/a.xml")) << "A's page stays";
}

TEST_F(WindowReading, HidesTheHeaderPictureOnlyOfAChannelWithoutImageAndKeepsThePageBytes) {
  const std::string gif = "data:image/gif;base64,R0lGODlhAQABAAAAACw=";
  const QString path = FRoot.filePath(QStringLiteral("feeds/pictured.xml"));
  test::WriteFile(path,
                  "<rss version=\"2.0\"><channel><title>P</title><link>l</link>"
                  "<description>d</description><image><url>" +
                      gif + "</url><title>p</title><link>l</link></image></channel></rss>");
  TfrmControl& window =
      StartWith({{WriteFeed("plain.xml", "Plain"), "A"}, {path.toStdString(), "B"}});
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  // The picture floats right, so it is a block while it shows.
  for (const auto& [row, source, display] :
       {std::tuple{0, std::string("URL Required"), "none"}, std::tuple{1, gif, "block"}}) {
    ClickRow(row);
    EXPECT_NE(Page().find("<img src=\"" + source + "\" align=\"right\" />"), std::string::npos);
    ASSERT_TRUE(WaitForPage(loads, row + 1));
    QVariant shown;
    window.WebBrowser->View()->page()->runJavaScript(
        QStringLiteral("getComputedStyle(document.querySelector('img[align]')).display"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& value) { shown = value; });
    ASSERT_TRUE(WaitFor([&] { return shown.isValid(); }));
    EXPECT_EQ(shown.toString().toStdString(), display) << source;
  }
}

TEST_F(WindowReading, ChoosingListOnTheErrorPageRendersWhatTheReaderHolds) {
  const std::string good = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{good, "Alpha"}, {MissingFeed(), "Broken"}});
  ClickRow(0);
  ClickRow(1);
  ASSERT_EQ(window.BasePageControl->ActivePage(), window.ErrorTab);
  const std::string newsPaper = Page();
  ChooseStyle(1);
  EXPECT_EQ(window.comboViewStyle->currentText(), "List");
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(Page(), RenderedElsewhere(good, 1));
  EXPECT_NE(Page(), newsPaper);
  ChooseStyle(0);
  EXPECT_EQ(Page(), newsPaper);
}

TEST_F(WindowReading, GivesAnEmptyPageWithNoViewStyle) {
  WriteData("Settings.ruv", "[SETTINGS]\r\nviewstyle=-1\r\n");
  const std::string link = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{link, "Alpha"}});
  ASSERT_EQ(window.comboViewStyle->currentIndex(), -1);
  ClickRow(0);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(Page().find("Alpha Daily"), std::string::npos);
  EXPECT_EQ(Page(), RenderedElsewhere(link, 255));
}

TEST_F(WindowReading, ReportsAPageThatCannotBeWrittenAndStaysOnTheLoadingPage) {
  const std::string link = WriteFeed("alpha.xml", "Alpha Daily");
  TfrmControl& window = StartWith({{link, "Alpha"}});
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PagePath()) + "/blocked"));
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  ClickRow(0);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_NE(message.indexOf("vantle_tmp.htm"), -1) << message.toStdString();
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.LoadingTab);
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(window.CurrentLink().empty());
}

TEST_F(WindowReading, ShowsProgressWhileThePageLoads) {
  TfrmControl& window = Start();
  window.BasePageControl->SetActivePage(window.BrowserTab);
  window.WebBrowserDownloadBegin();
  window.WebBrowserDownloadBegin();
  EXPECT_TRUE(window.pnlProgress->isVisibleTo(window.BrowserTab));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  window.WebBrowserProgressChange(30, 120);
  EXPECT_EQ(window.WebProgress->maximum(), 120);
  EXPECT_EQ(window.WebProgress->value(), 30);
  // No page yet: the location is empty and the bar stays.
  window.WebBrowserDownloadComplete();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one busy cursor however many begins";
  EXPECT_TRUE(window.pnlProgress->isVisibleTo(window.BrowserTab));
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
