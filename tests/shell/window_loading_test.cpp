#include <qpa/qwindowsysteminterface.h>

#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QWebEngineView>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <csignal>

#include "CommandGuard.h"
#include "FeedLoadRunner.h"
#include "SignalCloser.h"
#include "URLDropTarget.h"
#include "UfrmAddFeed.h"
#include "WebBrowser.h"
#include "support/LoopbackServer.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::As;
using test::Box;
using test::TFeedRow;
using test::TGate;
using test::TLoopbackServer;
using test::TModalScript;
using test::TReply;
using test::WaitFor;
namespace groupfile = test::groupfile;
using namespace std::chrono_literals;

const std::string SlowFeed =
    "<rss version=\"2.0\"><channel><title>Slow</title><link>https://example.org/</link>"
    "<description>d</description><item><title>One</title><link>https://example.org/1</link>"
    "</item></channel></rss>";

class WindowLoading : public test::TWindowTest {
 public:
  using test::TWindowTest::WriteFeed;

 protected:
  // Starts over a group "Feeds" holding `rows` (in list order), written with the ID 7.
  TfrmControl& StartWith(const std::vector<TFeedRow>& rows) {
    WriteData("Feeds.dat", groupfile::Group(rows, 176, 7));
    return Start();
  }

  // Where the title of `row` lies in the window.
  QPoint RowInWindow(int row) const {
    TGridControl& grid = *Window->FeedGrid;
    const QRect cell = grid.visualRect(grid.model()->index(row, 2));
    return grid.viewport()->mapTo(Window.get(), cell.center());
  }

  // Clicks the title of `row` in the feed list; returns once the command has ended.
  void ClickRow(int row) {
    TGridControl& grid = *Window->FeedGrid;
    const QRect cell = grid.visualRect(grid.model()->index(row, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  }

  // Drops the text `link` on the middle of the window, as another program would.
  void DropLink(const QString& link) {
    QMimeData data;
    data.setText(link);
    const QPointF middle = QRectF(Window->rect()).center();
    QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &enter);
    QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &drop);
  }

  // Serves the slow feed at `path`, held back until `Release` opens (for 30 s at most).
  void ServeHeld(const std::string& path) {
    TReply reply = TReply::Content(SlowFeed, "application/rss+xml");
    reply.Delay = 30s;
    reply.Gate = Release;
    Server.Answer(path, reply);
  }

  // Runs `load` with a 50 ms timer going, whose ticks count only while the event loop runs:
  // its fifth tick while the server holds the feed back opens `Release`. True when that
  // happened before `load` returned.
  bool TicksReleaseTheFeedDuring(const std::function<void()>& load) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (Server.Holding() > 0 && ++ticks == 5) Release->Open();
    });
    timer.start(50);
    load();
    return Release->IsOpen();
  }

  TLoopbackServer Server;
  std::shared_ptr<TGate> Release = std::make_shared<TGate>();
};

TEST_F(WindowLoading, RunsItsEventLoopWhileTheServerStaysSilent) {
  ServeHeld("/silent.xml");
  TfrmControl& window = StartWith({{Server.Url("/silent.xml"), "Silent"}});
  EXPECT_TRUE(TicksReleaseTheFeedDuring([&] { ClickRow(0); }))
      << "the load waited for the server, with the event loop running";
  EXPECT_EQ(window.CurrentLink(), Server.Url("/silent.xml"));
}

TEST_F(WindowLoading, TheFeedDialogsTestRunsTheEventLoopToo) {
  ServeHeld("/silent.xml");
  TfrmAddFeed dialog(nullptr);
  dialog.edLink->setText(QString::fromStdString(Server.Url("/silent.xml")));
  dialog.show();
  EXPECT_TRUE(TicksReleaseTheFeedDuring([&] { dialog.TestLink(); }));
  EXPECT_EQ(dialog.edTitle->text(), "Slow");
}

// A close asked for during a load, as the window system or the session would ask it.
struct TCloseCase {
  const char* Case;
  bool Signal;  // SIGTERM; otherwise the title bar's close through the window system
};

void PrintTo(const TCloseCase& close, std::ostream* out) {
  *out << close.Case;
}

class WindowLoadingClose : public WindowLoading,
                           public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(WindowLoadingClose, AbortsTheLoadAndClosesBeforeTheServerAnswersWritingWhatACloseWrites) {
  ServeHeld("/silent.xml");
  TfrmControl& window = StartWith({{Server.Url("/silent.xml"), "Silent"}});
  const TSignalCloser closer(window);
  // The close is asked for once the server holds the feed back, so during the load.
  QTimer asker;
  QObject::connect(&asker, &QTimer::timeout, [&] {
    if (Server.Holding() == 0) return;
    asker.stop();
    if (GetParam().Signal) {
      std::raise(SIGTERM);
    } else {
      QWindowSystemInterface::handleCloseEvent(window.windowHandle());
    }
  });
  asker.start(20);
  ClickRow(0);
  // The server holds the feed back for 30 s: a close that waited for the load comes later.
  ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }, 20000));
  EXPECT_FALSE(asker.isActive()) << "the close was asked for during the load";
  // Written as at any close: the group (a new ID shows it was rewritten) and the settings.
  EXPECT_EQ(FeedsOnDisk("Feeds"), (std::vector<TFeedRow>{{Server.Url("/silent.xml"), "Silent"}}));
  EXPECT_NE(groupfile::IdOf(ReadData("Feeds.dat")), 7);
  EXPECT_TRUE(DataExists("Settings.ruv"));
  EXPECT_EQ(window.FeedReader(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Closes, WindowLoadingClose,
                         ::testing::Values(TCloseCase{"FromTheTitleBar", false},
                                           TCloseCase{"BySigterm", true}));

TEST_F(WindowLoading, AClickQueuedDuringALoadIsDroppedNotReplayedAfterIt) {
  Server.Serve("/silent.xml", "application/rss+xml", SlowFeed, 1000ms);
  const std::string other = WriteFeed("other.xml", "Other");
  TfrmControl& window = StartWith({{Server.Url("/silent.xml"), "Silent"}, {other, "Zother"}});
  // The window system queues an impatient click on the second row as the first one loads.
  const QPoint at = RowInWindow(1);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QWindowSystemInterface::handleMouseEvent(
        window.windowHandle(), at, window.mapToGlobal(at),
        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton, type);
  }
  RunCommand(&window, [&] { window.FeedGridClickCell(0, 2); });
  QTest::qWait(300);
  EXPECT_EQ(window.CurrentLink(), Server.Url("/silent.xml"));
  EXPECT_EQ(window.SelectedRow(), 0);
}

struct TDropCase {
  const char* Case;
  bool RealDrop;  // a drop event; otherwise the drop target's own report of a drop
  bool DialogOpens;
};

void PrintTo(const TDropCase& drop, std::ostream* out) {
  *out << drop.Case;
}

class WindowLoadingDrop : public WindowLoading, public ::testing::WithParamInterface<TDropCase> {};

TEST_P(WindowLoadingDrop, ALinkDroppedDuringALoadNeverOpensTheDialogInsideIt) {
  // The feed arrives a piece at a time, so that even a window that only paints on progress
  // handles the drop during the load.
  Server.Trickle("/trickle.xml", SlowFeed, 10, 150ms);
  TfrmControl& window = StartWith({{Server.Url("/trickle.xml"), "Trickle"}});
  int opened = 0;
  bool openedDuringLoad = false;
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    ++opened;
    openedDuringLoad = !window.FeedGrid->isEnabled();
    dialog.btnCancel->click();
  }));
  QTimer::singleShot(400, [&] {
    if (GetParam().RealDrop) {
      DropLink(QStringLiteral("https://example.org/dropped.xml"));
    } else {
      window.URLDropTarget->OnDropURL();
    }
  });
  ClickRow(0);
  EXPECT_EQ(window.CurrentLink(), Server.Url("/trickle.xml"));
  QTest::qWait(500);
  EXPECT_EQ(opened, GetParam().DialogOpens ? 1 : 0);
  EXPECT_FALSE(openedDuringLoad);
  EXPECT_EQ(FeedsOnDisk("Feeds"), (std::vector<TFeedRow>{{Server.Url("/trickle.xml"), "Trickle"}}));
}

INSTANTIATE_TEST_SUITE_P(Drops, WindowLoadingDrop,
                         ::testing::Values(TDropCase{"ADropEventIsRefused", true, false},
                                           TDropCase{"AReportedDropWaitsForTheLoad", false, true}));

// The list is disabled while a feed loads; whether the group holds a feed is asked of the
// list's content, never of that state.
struct TContentCase {
  const char* Case;
  // Acts on the window and returns the feeds its group file must then hold.
  std::function<std::vector<TFeedRow>(WindowLoading&, TfrmControl&)> Act;
};

void PrintTo(const TContentCase& content, std::ostream* out) {
  *out << content.Case;
}

class WindowLoadingContent : public WindowLoading,
                             public ::testing::WithParamInterface<TContentCase> {};

TEST_P(WindowLoadingContent, AListThatIsDisabledStillHoldsItsFeeds) {
  WriteData("Other.dat", groupfile::Group({}));
  TfrmControl& window = StartWith({{"a-link", "Alpha"}});
  ASSERT_TRUE(QFile::remove(DataPath("Feeds.dat")));
  window.FeedGrid->setEnabled(false);
  const std::vector<TFeedRow> expected = GetParam().Act(*this, window);
  EXPECT_EQ(FeedsOnDisk("Feeds"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WindowLoadingContent,
    ::testing::Values(TContentCase{"AClose",
                                   [](WindowLoading&, TfrmControl& window) {
                                     window.close();
                                     return std::vector<TFeedRow>{{"a-link", "Alpha"}};
                                   }},
                      TContentCase{"ASwitchToAnotherGroup",
                                   [](WindowLoading&, TfrmControl& window) {
                                     window.GroupBox->setCurrentIndex(
                                         window.GroupBox->findText("Other"));
                                     window.GroupBoxChange();
                                     return std::vector<TFeedRow>{{"a-link", "Alpha"}};
                                   }},
                      TContentCase{
                          "AddingAFeed", [](WindowLoading& test, TfrmControl& window) {
                            const std::string link = test.WriteFeed("beta.xml", "Beta");
                            TModalScript script;
                            script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
                              dialog.edLink->setText(QString::fromStdString(link));
                              dialog.TestLink();
                              dialog.btnOK->click();
                            }));
                            window.AddFeed(std::string());
                            return std::vector<TFeedRow>{{"a-link", "Alpha"}, {link, "Beta"}};
                          }}));

TEST_F(WindowLoading, ACommandsErrorIsShownByItsGuardAndReachesNoEventLoop) {
  WriteData("Other.dat", groupfile::Group({}));
  TfrmControl& window = StartWith({{"a-link", "Alpha"}});
  // Something takes the group file's place: the group being left cannot be written.
  ASSERT_TRUE(QFile::remove(DataPath("Feeds.dat")));
  ASSERT_TRUE(QDir().mkpath(DataPath("Feeds.dat/inside")));
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  window.GroupBox->setFocus();
  QTest::keyClick(window.GroupBox, Qt::Key_Down);
  const bool shown = WaitFor([&] { return script.Done(); }, 3000);
  // The close at the end of the test writes the group again.
  ASSERT_TRUE(QDir(DataPath("Feeds.dat")).removeRecursively());
  ASSERT_TRUE(shown);
  EXPECT_TRUE(message.startsWith(
      QString::fromStdString("Cannot create file \"" + DataDir() + "Feeds.dat\". ")))
      << message.toStdString();
}

bool Busy() {
  return QApplication::overrideCursor() != nullptr &&
         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
}

// Escape pressed during a trickling load, from a page the window showed before it.
struct TCancelCase {
  const char* Case;
  bool FeedShownBefore;  // a feed's page; otherwise the home page
};

void PrintTo(const TCancelCase& cancel, std::ostream* out) {
  *out << cancel.Case;
}

class WindowLoadingCancel : public WindowLoading,
                            public ::testing::WithParamInterface<TCancelCase> {};

TEST_P(WindowLoadingCancel, EscapeCancelsTheLoadAndShowsThePageFromBefore) {
  // A byte every few tenths of a second: the whole feed would take over ten seconds.
  Server.Trickle("/trickle.xml", SlowFeed, 40, 300ms);
  const std::string shown = WriteFeed("shown.xml", "Shown");
  TfrmControl& window = StartWith({{shown, "Shown"}, {Server.Url("/trickle.xml"), "Trickle"}});
  // The browser engine starts once the window is on screen, holding the event loop a while.
  ASSERT_TRUE(WaitFor([&] { return window.WebBrowser->HasView(); }));
  if (GetParam().FeedShownBefore) ClickRow(0);
  QWidget* pageBefore = window.BasePageControl->ActivePage();
  const std::string linkBefore = window.CurrentLink();
  const int rowBefore = window.SelectedRow();
  const bool backBefore = window.btnBack->isEnabled();

  auto* picture = window.LoadingTab->findChild<QLabel*>();
  ASSERT_NE(picture, nullptr);
  QStringList loadingTexts;
  // Frames seen during the load: a busy machine may delay the timers, never stop them.
  std::vector<QImage> frames;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout,
                   [&] { frames.push_back(picture->pixmap().toImage()); });
  sampler.start(50);
  QTimer::singleShot(700, [&] {
    sampler.stop();
    for (const QLabel* label : window.LoadingTab->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) loadingTexts << label->text();
    }
    QTest::keyClick(window.FeedGrid, Qt::Key_Escape);
  });
  // A load that ran on past the key would end with the trickled feed shown: the checks of the
  // page and the current link below catch it without a time bound.
  ClickRow(1);
  EXPECT_EQ(loadingTexts, (QStringList{"loading...", "Press Esc to cancel"}));
  EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [&](const QImage& frame) {
    return frame != frames.front();
  })) << "the loading picture turns";
  EXPECT_EQ(window.BasePageControl->ActivePage(), pageBefore);
  EXPECT_EQ(window.CurrentLink(), linkBefore);
  EXPECT_EQ(window.SelectedRow(), rowBefore);
  EXPECT_EQ(window.btnBack->isEnabled(), backBefore);
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_FALSE(FeedLoadRunning());
}

INSTANTIATE_TEST_SUITE_P(Cancels, WindowLoadingCancel,
                         ::testing::Values(TCancelCase{"OverAFeedsPage", true},
                                           TCancelCase{"OverTheHomePage", false}));

// A feed whose picture comes from a server that never answers in time.
std::string FeedWithPictureFrom(const std::string& picture) {
  return "<rss version=\"2.0\"><channel><title>Pictured</title><link>https://example.org/</link>"
         "<description>d</description><image><url>" +
         picture +
         "</url><title>p</title><link>https://example.org/</link></image>"
         "<item><title>One</title><link>https://example.org/1</link></item></channel></rss>";
}

TEST_F(WindowLoading, ThePageEndsTheBusyStateOnceItsOwnDocumentHasLoaded) {
  Server.Serve("/never.png", "image/png", "", 20000ms);
  Server.Serve("/pictured.xml", "application/rss+xml",
               FeedWithPictureFrom(Server.Url("/never.png")));
  TfrmControl& window = StartWith({{Server.Url("/pictured.xml"), "Pictured"}});
  QSignalSpy started(window.WebBrowser->View(), &QWebEngineView::loadStarted);
  QSignalSpy finished(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(0);
  EXPECT_EQ(window.edLink->text().toStdString(), Server.Url("/pictured.xml"))
      << "the link box names the feed as soon as its page is shown";
  ASSERT_TRUE(WaitFor([&] { return started.count() == 1 && Busy(); }, 10000));
  EXPECT_TRUE(WaitFor([&] { return !Busy() && window.pnlProgress->isHidden(); }, 5000));
  EXPECT_EQ(window.WebBrowser->LocationName(), "vantle_tmp.htm");
  EXPECT_EQ(finished.count(), 0) << "the picture is still on its way";
  EXPECT_EQ(window.edLink->text().toStdString(), Server.Url("/pictured.xml"));
}

TEST_F(WindowLoading, SwitchingTheViewStyleShowsTheBusyCursorUntilTheNewPageHasLoaded) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  TfrmControl& window = StartWith({{link, "A"}});
  QSignalSpy finished(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  ClickRow(0);
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 1 && !Busy(); }, 30000));
  window.comboViewStyle->setCurrentIndex(1);
  emit window.comboViewStyle->activated(1);
  EXPECT_TRUE(Busy()) << "from the moment the style is chosen";
  EXPECT_TRUE(WaitFor([&] { return !Busy(); }, 30000));
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
