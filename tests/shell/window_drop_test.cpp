#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QUrl>
#include <QWebEngineView>

#include "UfrmAddFeed.h"
#include "UfrmVantleInfo.h"
#include "WebBrowser.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::As;
using test::Box;
using test::TFeedRow;
using test::TModalScript;
using test::WaitFor;
namespace groupfile = test::groupfile;

// Catches what the window asks the desktop to open, instead of opening it.
class TOpenedFiles : public QObject {
  Q_OBJECT

 public:
  TOpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
  ~TOpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened.append(url); }
};

class WindowDrop : public test::TWindowTest {
 protected:
  // Drops `data` on the middle of the window, as another program would.
  void Drop(QMimeData* data) {
    const QPointF middle = QRectF(Window->rect()).center();
    QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &enter);
    QDropEvent drop(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
  }

  void DropText(const QString& text) {
    QMimeData data;
    data.setText(text);
    Drop(&data);
  }

  // The link box of the New Feed dialog the drop opens, which is then cancelled.
  TModalScript::THandler NoteLinkAndCancel(QString& link) {
    return As<TfrmAddFeed>([&link](TfrmAddFeed& dialog) {
      link = dialog.edLink->text();
      dialog.btnCancel->click();
    });
  }
};

TEST_F(WindowDrop, ADroppedLinkOpensTheNewFeedDialogForTheCurrentGroup) {
  const std::string news = groupfile::Group({{"a-link", "A"}}, 99, 4242);
  WriteData("News.dat", news);
  WriteData("Blogs.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  window.GroupBox->setCurrentIndex(1);
  window.GroupBoxChange();
  QString link;
  QString group;
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    link = dialog.edLink->text();
    group = dialog.comboGroups->currentText();
    dialog.btnCancel->click();
  }));
  DropText("https://example.org/feed.xml");
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(link, "https://example.org/feed.xml");
  EXPECT_EQ(group, "News");
  EXPECT_EQ(Groups(), (QStringList{"Blogs", "News"}));
  EXPECT_EQ(ReadData("News.dat"), news);
}

TEST_F(WindowDrop, TakesTheFirstUrlOfADropThatCarriesOnlyUrls) {
  WriteData("News.dat", groupfile::Group({}));
  Start();
  QString link;
  TModalScript script;
  script.Then(NoteLinkAndCancel(link));
  QMimeData data;
  data.setUrls({QUrl("https://example.org/first.xml"), QUrl("https://example.org/second.xml")});
  Drop(&data);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(link, "https://example.org/first.xml");
}

TEST_F(WindowDrop, ADropWithoutTextReopensTheDialogWithThePreviousText) {
  WriteData("News.dat", groupfile::Group({}));
  Start();
  QString first = "unset";
  QString second = "unset";
  QString third = "unset";
  TModalScript script;
  script.Then(NoteLinkAndCancel(first))
      .Then(NoteLinkAndCancel(second))
      .Then(NoteLinkAndCancel(third));
  QMimeData nothing;
  nothing.setData("application/octet-stream", "\x01\x02");
  Drop(&nothing);
  ASSERT_TRUE(WaitFor([&] { return script.Answered() == 1; }));
  DropText("some selected words");
  ASSERT_TRUE(WaitFor([&] { return script.Answered() == 2; }));
  Drop(&nothing);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(first, "");
  EXPECT_EQ(second, "some selected words");
  EXPECT_EQ(third, "some selected words");
}

TEST_F(WindowDrop, CreatesMyWebFeedsWhenNoGroupExistsAndKeepsItWhenCancelled) {
  TfrmControl& window = Start();
  bool fileBeforeDialog = false;
  bool commandsBeforeDialog = false;
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    fileBeforeDialog = DataExists("My WebFeeds.dat");
    commandsBeforeDialog = window.btnNewFeed->isEnabled() && window.btnEditGroup->isEnabled();
    EXPECT_EQ(dialog.comboGroups->currentText(), "My WebFeeds");
    dialog.btnCancel->click();
  }));
  DropText("https://example.org/feed.xml");
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_TRUE(fileBeforeDialog);
  EXPECT_TRUE(commandsBeforeDialog);
  EXPECT_EQ(Groups(), QStringList{"My WebFeeds"});
  EXPECT_TRUE(window.GroupBox->isEnabled());
  EXPECT_EQ(window.CurrentGroup(), "My WebFeeds");
  EXPECT_EQ(FeedsOnDisk("My WebFeeds"), std::vector<TFeedRow>{});
  EXPECT_EQ(DataFiles(), QStringList{"My WebFeeds.dat"});
}

TEST_F(WindowDrop, ADroppedFeedTestedAndAcceptedJoinsTheCurrentGroup) {
  TfrmControl& window = Start();
  const std::string link = WriteFeed("dropped.xml", "Dropped Feed");
  TModalScript script;
  script.Then(As<TfrmAddFeed>([](TfrmAddFeed& dialog) {
    dialog.TestLink();
    dialog.btnOK->click();
  }));
  DropText(QString::fromStdString(link));
  ASSERT_TRUE(WaitFor([&] { return script.Done() && window.FeedGrid->isEnabled(); }));
  EXPECT_EQ(FeedsOnDisk("My WebFeeds"), (std::vector<TFeedRow>{{link, "Dropped Feed"}}));
  EXPECT_EQ(window.CurrentLink(), link);
}

TEST_F(WindowDrop, ALinkDroppedOnTheFeedPageOpensNewFeedAndTheBrowserStaysOnThePage) {
  const std::string feed = WriteFeed("shown.xml", "Shown");
  WriteData("News.dat", groupfile::Group({{feed, "Shown"}}));
  TfrmControl& window = Start();
  QSignalSpy loads(window.WebBrowser->View(), &QWebEngineView::loadFinished);
  window.FeedGridClickCell(0, 2);
  ASSERT_TRUE(WaitFor([&] { return loads.count() >= 1; }, 30000));
  const QUrl page = window.WebBrowser->View()->url();
  QString link;
  TModalScript script;
  script.Then(NoteLinkAndCancel(link));
  QMimeData data;
  data.setText(QStringLiteral("https://example.org/dropped.xml"));
  QWidget* view = window.WebBrowser->View();
  const QPointF middle = QRectF(view->rect()).center();
  QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &enter);
  QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &drop);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }, 5000));
  EXPECT_EQ(link, "https://example.org/dropped.xml");
  QTest::qWait(200);
  EXPECT_EQ(window.WebBrowser->View()->url(), page);
  EXPECT_EQ(loads.count(), 1);
}

TEST_F(WindowDrop, TheInformationWindowOpensLockedAndCentredOnTheReader) {
  TfrmControl& window = Start();
  // Partly off the screen: the toolkit's own placement would pull the dialog back onto it.
  window.move(-300, -200);
  QString caption;
  bool locked = false;
  QPoint offset;
  TModalScript script;
  script.Then(As<TfrmVantleInfo>([&](TfrmVantleInfo& info) {
    caption = info.windowTitle();
    locked = info.minimumSize() == info.size() && info.maximumSize() == info.size();
    offset = info.geometry().center() - window.geometry().center();
    info.reject();
  }));
  QTest::mouseClick(window.btnInfo, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(caption, "Vantle - Information");
  EXPECT_TRUE(locked);
  // Window frames, which the platform adds once the dialog shows, may shift it a little.
  EXPECT_LE(offset.manhattanLength(), 6) << offset.x() << "," << offset.y();
}

TEST_F(WindowDrop, TheUserGuideLabelSaysWhenTheGuideIsMissing) {
  TfrmControl& window = Start();
  const TOpenedFiles opened;
  QString message;
  TModalScript script;
  script
      .Then(As<TfrmVantleInfo>([this](TfrmVantleInfo& info) {
        info.GuidePath = FRoot.filePath("no-guide-here/Vantle_UserGuide.pdf");
        info.Label10Click();
        info.reject();
      }))
      .Then(Box(QMessageBox::Ok, &message));
  window.btnInfoClick();
  EXPECT_EQ(message, "Vantle user guide pdf file could not be found in application directory.");
  EXPECT_TRUE(opened.Opened.isEmpty());
}

TEST_F(WindowDrop, TheUserGuideLabelOpensTheGuideBesideTheProgram) {
  TfrmControl& window = Start();
  const QString guide = FRoot.filePath("Vantle_UserGuide.pdf");
  test::WriteFile(guide, "%PDF-1.4\n");
  const TOpenedFiles opened;
  TModalScript script;
  script.Then(As<TfrmVantleInfo>([&](TfrmVantleInfo& info) {
    info.GuidePath = guide;
    info.Label10Click();
    info.reject();
  }));
  window.btnInfoClick();
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(opened.Opened.size(), 1);
  EXPECT_EQ(opened.Opened.front().toLocalFile(), guide);
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}

#include "window_drop_test.moc"
