#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QToolButton>

#include <csignal>

#include "PageControlEx.h"
#include "SignalCloser.h"
#include "SingleWindow.h"
#include "WebBrowser.h"
#include "store/DataDirectory.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::Box;
using test::Input;
using test::TFeedRow;
using test::TModalScript;
using test::WaitFor;
namespace groupfile = test::groupfile;

class WindowStartup : public test::TWindowTest {
 protected:
  void WriteSettings(const std::string& content) { WriteData("Settings.ruv", content); }

  QSize Screen() const { return QGuiApplication::primaryScreen()->geometry().size(); }

  // The labels of a page, top to bottom.
  static QList<QLabel*> TextLabels(QWidget* page) {
    QList<QLabel*> labels;
    for (QLabel* label : page->findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) {
        labels << label;
      }
    }
    return labels;
  }
};

TEST_F(WindowStartup, FirstStartCreatesTheDataDirectoryAndHasNoGroup) {
  ASSERT_FALSE(QDir(QString::fromStdString(DataDir())).exists());
  TfrmControl& window = Start();

  EXPECT_TRUE(QDir(QString::fromStdString(DataDir())).exists());
  EXPECT_EQ(window.DataDir(), DataDir());
  EXPECT_FALSE(window.GroupBox->isEnabled());
  EXPECT_EQ(window.GroupBox->count(), 0);
  EXPECT_FALSE(window.FeedGrid->isEnabled());
  EXPECT_EQ(window.FeedGrid->RowCount(), 1);
  EXPECT_TRUE(FeedsInList().empty());
  for (QWidget* off :
       {static_cast<QWidget*>(window.btnEditGroup), static_cast<QWidget*>(window.btnNewFeed),
        static_cast<QWidget*>(window.btnEditFeed), static_cast<QWidget*>(window.lblViewStyle),
        static_cast<QWidget*>(window.comboViewStyle), static_cast<QWidget*>(window.btnBack),
        static_cast<QWidget*>(window.btnForward)}) {
    EXPECT_FALSE(off->isEnabled()) << off->objectName().toStdString();
  }
  EXPECT_TRUE(window.btnAddGroup->isEnabled());
  EXPECT_TRUE(window.btnInfo->isEnabled());
  EXPECT_TRUE(window.NewGroup1->isEnabled());
  EXPECT_FALSE(window.EditGroup1->isEnabled());
  EXPECT_FALSE(window.DeleteFroup1->isEnabled());
  EXPECT_FALSE(window.NewFeed1->isEnabled());
  EXPECT_FALSE(window.EditFeed1->isEnabled());
  EXPECT_FALSE(window.DeleteFeed1->isEnabled());
  EXPECT_EQ(window.focusWidget(), window.btnAddGroup);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_TRUE(window.CurrentGroup().empty());
  EXPECT_EQ(window.size(), QSize(768, 586));
  EXPECT_TRUE(DataFiles().isEmpty()) << "nothing is written before shutdown";
}

TEST_F(WindowStartup, StartsWithTheFirstGroupLoadedAndNoFeedShown) {
  WriteData("News.dat", groupfile::Group({{"b-link", "Beta"}, {"a-link", "Alpha"}}));
  WriteData("Art.dat", groupfile::Group({{"art-link", "Paintings"}}));
  TfrmControl& window = Start();

  EXPECT_EQ(Groups(), (QStringList{"Art", "News"}));
  EXPECT_EQ(window.GroupBox->currentText(), "Art");
  EXPECT_EQ(window.CurrentGroup(), "Art");
  EXPECT_TRUE(window.GroupBox->isEnabled());
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{"art-link", "Paintings"}}));
  EXPECT_EQ(window.FeedGrid->RowHeights(0), 35);
  EXPECT_EQ(window.focusWidget(), window.GroupBox);
  EXPECT_TRUE(window.btnNewFeed->isEnabled());
  EXPECT_TRUE(window.btnEditGroup->isEnabled());
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_EQ(window.FeedGrid->Row(), 0);
  EXPECT_EQ(window.comboViewStyle->count(), 2);
  EXPECT_EQ(window.comboViewStyle->itemText(0), "NewsPaper");
  EXPECT_EQ(window.comboViewStyle->itemText(1), "List");
  EXPECT_EQ(window.comboViewStyle->currentIndex(), 0);
}

TEST_F(WindowStartup, StartsTheBrowserOnlyOnceTheWindowHasPaintedItsFirstScreen) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  Window = std::make_unique<TfrmControl>(DataDir());
  EXPECT_FALSE(Window->WebBrowser->HasView()) << "the first screen shows no page";
  Window->show();
  EXPECT_TRUE(WaitFor([&] { return Window->WebBrowser->HasView(); }));
  EXPECT_EQ(Window->BasePageControl->ActivePage(), Window->HomeTab);
  EXPECT_EQ(Window->focusWidget(), Window->GroupBox);
  EXPECT_EQ(Window->SelectedRow(), -1);
}

TEST_F(WindowStartup, SortsTheFirstGroupAtStartUp) {
  WriteData("News.dat", groupfile::Group({{"b-link", "Beta"}, {"a-link", "Alpha"}}));
  Start();
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{"a-link", "Alpha"}, {"b-link", "Beta"}}));
}

TEST_F(WindowStartup, HasTheCaptionSizesAndControlsOfTheReaderWindow) {
  TfrmControl& window = Start();
  EXPECT_EQ(window.windowTitle(), "Vantle - Simple Web Feed Reader");
  EXPECT_EQ(QGuiApplication::applicationName(), "Vantle");
  EXPECT_EQ(window.minimumSize(), QSize(572, 553));
  EXPECT_EQ(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  EXPECT_EQ(window.font().family(), "MS Sans Serif");
  EXPECT_EQ(window.font().pixelSize(), 11);

  struct TButton {
    QToolButton* Button;
    QString Caption;
    QString Tip;
    QSize Size;
  };
  for (const TButton& expected : {TButton{window.btnAddGroup, "Group", "New Group", {99, 47}},
                                  TButton{window.btnNewFeed, "Feed", "New Feed", {99, 47}},
                                  TButton{window.btnEditGroup, "Group", "Edit Group", {99, 47}},
                                  TButton{window.btnEditFeed, "Feed", "Edit Feed", {99, 47}},
                                  TButton{window.btnBack, "", "Back", {48, 32}},
                                  TButton{window.btnForward, "", "Forward", {48, 32}},
                                  TButton{window.btnInfo, "", "", {62, 47}}}) {
    EXPECT_EQ(expected.Button->text(), expected.Caption);
    EXPECT_EQ(expected.Button->toolTip(), expected.Tip);
    EXPECT_EQ(expected.Button->size(), expected.Size) << expected.Tip.toStdString();
    EXPECT_TRUE(expected.Button->autoRaise()) << "flat: " << expected.Tip.toStdString();
    EXPECT_FALSE(expected.Button->icon().isNull()) << expected.Tip.toStdString();
  }
  EXPECT_EQ(window.btnAddGroup->pos(), QPoint(0, 0));
  // Neighbours overlap by one pixel.
  EXPECT_EQ(window.btnNewFeed->x(), window.btnAddGroup->geometry().right());
  EXPECT_EQ(window.btnEditFeed->x(), window.btnEditGroup->geometry().right());
  EXPECT_EQ(window.btnForward->x(), window.btnBack->geometry().right());
  EXPECT_GT(window.btnEditGroup->x(), window.Bevel1->geometry().right());
  EXPECT_GT(window.Bevel2->x(), window.btnEditFeed->geometry().right());
  EXPECT_EQ(window.lblViewStyle->text(), "View Style:");
  EXPECT_TRUE(window.lblViewStyle->font().bold());
  EXPECT_EQ(window.comboViewStyle->width(), 164);
  EXPECT_EQ(window.GroupBox->width(), 197);
  EXPECT_EQ(window.FeedGrid->width(), 197);
  EXPECT_FALSE(window.GroupBox->isEditable());

  // Second row below the rule of the first.
  EXPECT_GT(window.GroupBox->y(), window.Bevel3->y());
  EXPECT_GT(window.Bevel3->y(), window.btnAddGroup->geometry().bottom() - 1);
  EXPECT_EQ(window.FeedGrid->x(), window.GroupBox->x());
  EXPECT_GT(window.FeedGrid->y(), window.GroupBox->geometry().bottom());
  EXPECT_GT(window.Panel1->x(), window.FeedGrid->geometry().right());
}

TEST_F(WindowStartup, KeepsTheInfoPanelRightAndTheListsAnchoredWhenResized) {
  TfrmControl& window = Start();
  window.resize(1000, 700);
  EXPECT_EQ(window.pnlInfo->geometry().right(), 999);
  EXPECT_EQ(window.btnInfo->mapTo(&window, QPoint(window.btnInfo->width(), 0)).x(), 1000);
  EXPECT_EQ(window.Bevel3->width(), 1000);
  EXPECT_EQ(window.FeedGrid->width(), 197);
  const int gridBottomGap = 700 - window.FeedGrid->geometry().bottom();
  const int panelRightGap = 1000 - window.Panel1->geometry().right();
  window.resize(800, 600);
  EXPECT_EQ(window.pnlInfo->geometry().right(), 799);
  EXPECT_EQ(600 - window.FeedGrid->geometry().bottom(), gridBottomGap);
  EXPECT_EQ(800 - window.Panel1->geometry().right(), panelRightGap);
  EXPECT_EQ(window.Panel1->frameShadow(), QFrame::Sunken);
}

TEST_F(WindowStartup, BringsAButtonToTheFrontWhenThePointerEntersIt) {
  TfrmControl& window = Start();
  const auto stackPosition = [&](QWidget* child) { return window.children().indexOf(child); };
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(window.btnAddGroup, &enter);
  EXPECT_GT(stackPosition(window.btnAddGroup), stackPosition(window.btnNewFeed));
  QApplication::sendEvent(window.btnNewFeed, &enter);
  EXPECT_GT(stackPosition(window.btnNewFeed), stackPosition(window.btnAddGroup));
  QApplication::sendEvent(window.btnEditGroup, &enter);
  EXPECT_GT(stackPosition(window.btnEditGroup), stackPosition(window.btnEditFeed));
  QApplication::sendEvent(window.btnEditFeed, &enter);
  EXPECT_GT(stackPosition(window.btnEditFeed), stackPosition(window.btnEditGroup));
  QApplication::sendEvent(window.btnBack, &enter);
  EXPECT_GT(stackPosition(window.btnBack), stackPosition(window.btnForward));

  // Forward comes forward when the pointer leaves it, not when it enters.
  QApplication::sendEvent(window.btnForward, &enter);
  EXPECT_GT(stackPosition(window.btnBack), stackPosition(window.btnForward));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(window.btnForward, &leave);
  EXPECT_GT(stackPosition(window.btnForward), stackPosition(window.btnBack));
}

TEST_F(WindowStartup, HasThePopupMenusOfTheGroupAndFeedLists) {
  TfrmControl& window = Start();
  const auto captions = [](QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
      texts << action->text();
    }
    return texts;
  };
  EXPECT_EQ(captions(window.GRoupPop),
            (QStringList{"New Group...", "Edit Group...", "Delete Group"}));
  EXPECT_EQ(captions(window.GRidPop), (QStringList{"New Feed...", "Edit Feed...", "Delete Feed"}));
  EXPECT_EQ(window.GroupBox->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(WindowStartup, DrawsGroupEntriesTwentyFivePixelsHighInTahoma) {
  WriteData("News.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  QStyleOptionViewItem option;
  option.initFrom(window.GroupBox);
  const QModelIndex index = window.GroupBox->model()->index(0, 0);
  EXPECT_EQ(window.GroupBox->itemDelegate()->sizeHint(option, index).height(), 25);
  EXPECT_EQ(window.GroupBox->font().family(), "Tahoma");
  EXPECT_EQ(window.GroupBox->font().pixelSize(), 21);
}

TEST_F(WindowStartup, ShowsTheHomePageAmongFourPagesWithoutTabs) {
  TfrmControl& window = Start();
  TPageControlEx& pages = *window.BasePageControl;
  EXPECT_EQ(pages.count(), 4);
  EXPECT_FALSE(pages.tabBar()->isVisible());
  EXPECT_EQ(pages.ActivePage(), window.HomeTab);

  const QList<QLabel*> home = TextLabels(window.HomeTab);
  ASSERT_EQ(home.size(), 2);
  EXPECT_EQ(home[0]->text(), "Vantle");
  EXPECT_EQ(home[0]->font().family(), "Tahoma");
  EXPECT_EQ(home[0]->font().pixelSize(), 53);
  EXPECT_EQ(home[1]->text(), "Simple Web Feed Reader");
  EXPECT_EQ(home[1]->font().pixelSize(), 21);
  const QList<QLabel*> loading = TextLabels(window.LoadingTab);
  ASSERT_EQ(loading.size(), 2);
  EXPECT_EQ(loading[0]->text(), "loading...");
  EXPECT_EQ(loading[0]->font().pixelSize(), 32);
  EXPECT_EQ(loading[1]->text(), "Press Esc to cancel");
  const QList<QLabel*> error = TextLabels(window.ErrorTab);
  ASSERT_EQ(error.size(), 1);
  EXPECT_EQ(error[0]->text(), "error retrieving feed");
  EXPECT_EQ(error[0]->font().family(), "Tahoma");
  EXPECT_EQ(error[0]->font().pixelSize(), 32);

  const auto pictureSize = [](QWidget* page) {
    for (QLabel* label : page->findChildren<QLabel*>()) {
      if (label->text().isEmpty()) {
        return label->pixmap().size();
      }
    }
    return QSize();
  };
  EXPECT_EQ(pictureSize(window.HomeTab), QSize(300, 300));
  EXPECT_EQ(pictureSize(window.LoadingTab), QSize(120, 120));
  EXPECT_EQ(pictureSize(window.ErrorTab), QSize(120, 120));

  EXPECT_EQ(window.pnlStatus->height(), 22);
  EXPECT_EQ(window.pnlStatus->palette().color(QPalette::Window), QColor(239, 240, 236));
  EXPECT_TRUE(window.edLink->isReadOnly());
  EXPECT_FALSE(window.edLink->hasFrame());
  EXPECT_EQ(window.pnlProgress->width(), 135);
  EXPECT_EQ(window.WebProgress->size(), QSize(121, 14));
}

TEST_F(WindowStartup, ReadsAStoredViewStyleOutOfRangeAsTheFirst) {
  WriteSettings("[SETTINGS]\r\nviewstyle=5\r\n");
  EXPECT_EQ(Start().comboViewStyle->currentIndex(), 0);
}

TEST_F(WindowStartup, ReadsAStoredViewStyleOfOneAsList) {
  WriteSettings("[SETTINGS]\r\nviewstyle=1\r\n");
  EXPECT_EQ(Start().comboViewStyle->currentText(), "List");
}

TEST_F(WindowStartup, KeepsNoViewStyleForMinusOneAndWritesItBack) {
  WriteSettings("[SETTINGS]\r\nviewstyle=-1\r\nwd=800\r\nhg=600\r\n");
  EXPECT_EQ(Start().comboViewStyle->currentIndex(), -1);
  Close();
  EXPECT_EQ(ReadData("Settings.ruv"), "[SETTINGS]\r\nviewstyle=-1\r\nwd=800\r\nhg=600\r\n");
}

TEST_F(WindowStartup, RaisesAStoredSizeBelowTheMinimumToTheMinimum) {
  WriteSettings("[SETTINGS]\r\nviewstyle=0\r\nwd=100\r\nhg=100\r\n");
  EXPECT_EQ(Start().size(), QSize(572, 553));
}

TEST_F(WindowStartup, ReadsHexadecimalSizes) {
  WriteSettings("[SETTINGS]\r\nwd=0x400\r\nhg=$258\r\n");
  EXPECT_EQ(Start().size(), QSize(1024, 600));
}

TEST_F(WindowStartup, UsesTheCurrentSizeForMissingOrBrokenValues) {
  WriteSettings("[SETTINGS]\r\nviewstyle=List\r\nwd=wide\r\n");
  TfrmControl& window = Start();
  EXPECT_EQ(window.size(), QSize(768, 586));
  EXPECT_EQ(window.comboViewStyle->currentIndex(), 0);
}

TEST_F(WindowStartup, CentresTheWindowOnTheScreen) {
  WriteSettings("[SETTINGS]\r\nwd=601\r\nhg=555\r\n");
  TfrmControl& window = Start();
  EXPECT_EQ(window.pos(), QPoint((Screen().width() - 601) / 2, (Screen().height() - 555) / 2));
}

TEST_F(WindowStartup, PlacesAWindowLargerThanTheScreenAtANegativePositionCutTowardZero) {
  WriteSettings("[SETTINGS]\r\nwd=" + std::to_string(Screen().width() + 3) +
                "\r\nhg=" + std::to_string(Screen().height() + 5) + "\r\n");
  TfrmControl& window = Start();
  EXPECT_EQ(window.pos(), QPoint(-1, -2));
}

TEST_F(WindowStartup, WritesTheSettingsInTheirOrderAtShutdown) {
  TfrmControl& window = Start();
  window.resize(900, 640);
  window.comboViewStyle->setCurrentIndex(1);
  Close();
  EXPECT_EQ(ReadData("Settings.ruv"), "[SETTINGS]\r\nviewstyle=1\r\nwd=900\r\nhg=640\r\n");
  EXPECT_EQ(window.FeedReader(), nullptr) << "shutdown frees the reader";
}

TEST_F(WindowStartup, WritesNoGroupFileAtShutdownWhenTheGroupHasNoFeed) {
  // An empty group as another run wrote it: its ID and widths would change if rewritten.
  const std::string empty = groupfile::Group({}, 99, 4242);
  WriteData("Empty.dat", empty);
  Start();
  Close();
  EXPECT_EQ(ReadData("Empty.dat"), empty);
  EXPECT_TRUE(DataExists("Settings.ruv"));
}

TEST_F(WindowStartup, WritesTheCurrentGroupAtShutdownWhenItHasFeeds) {
  WriteData("News.dat", groupfile::Group({{"z-link", "Zebra"}, {"a-link", "Aardvark"}}, 99, 4242));
  TfrmControl& window = Start();
  const int titleWidth = window.FeedGrid->ColWidths(2);
  Close();
  const std::string written = ReadData("News.dat");
  EXPECT_EQ(written, groupfile::Group({{"a-link", "Aardvark"}, {"z-link", "Zebra"}}, titleWidth,
                                      groupfile::IdOf(written)));
}

TEST_F(WindowStartup, ReportsASettingsFileThatCannotBeWrittenAndStillCloses) {
  TfrmControl& window = Start();
  ASSERT_TRUE(QDir().mkpath(DataPath("Settings.ruv")));
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  Close();
  EXPECT_EQ(message.toStdString(), "Unable to write to " + DataDir() + "Settings.ruv");
  EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowStartup, SkipsTheSettingsWhenTheGroupCannotBeWrittenAtShutdown) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}));
  TfrmControl& window = Start();
  // Something takes the group file's place: it cannot be replaced.
  ASSERT_TRUE(QFile::remove(DataPath("News.dat")));
  ASSERT_TRUE(QDir().mkpath(DataPath("News.dat/inside")));
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  Close();
  EXPECT_TRUE(message.startsWith(
      QString::fromStdString("Cannot create file \"" + DataDir() + "News.dat\". ")))
      << message.toStdString();
  EXPECT_FALSE(DataExists("Settings.ruv"));
  EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowStartup, ReportsAnUnreadableFirstGroupAndStillReadsTheSettings) {
  WriteData("Broken.dat", "not a group file");
  WriteData("Settings.ruv", "[SETTINGS]\r\nviewstyle=1\r\nwd=800\r\nhg=600\r\n");
  QString message;
  TModalScript script;
  script.Then(Box(QMessageBox::Ok, &message));
  TfrmControl& window = Start();
  EXPECT_EQ(message, "Invalid stream format");
  // The view styles and the settings are in place all the same.
  EXPECT_EQ(window.comboViewStyle->count(), 2);
  EXPECT_EQ(window.comboViewStyle->currentIndex(), 1);
  EXPECT_EQ(window.width(), 800);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_FALSE(window.BasePageControl->tabBar()->isVisible());
  EXPECT_EQ(window.CurrentGroup(), "Broken");
  EXPECT_FALSE(window.FeedGrid->isEnabled());
  EXPECT_TRUE(window.ListIsUnloaded());
  Close();
  EXPECT_EQ(ReadData("Broken.dat"), "not a group file");
  EXPECT_EQ(ReadData("Settings.ruv"), "[SETTINGS]\r\nviewstyle=1\r\nwd=800\r\nhg=600\r\n");
}

TEST_F(WindowStartup, ShowsACommandsErrorAndKeepsRunning) {
  WriteData("News.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  // The group being left cannot be written when a new group is made.
  ASSERT_TRUE(QFile::remove(DataPath("News.dat")));
  ASSERT_TRUE(QDir().mkpath(DataPath("News.dat/inside")));
  QString message;
  TModalScript script;
  script.Then(Input("Second")).Then(Box(QMessageBox::Ok, &message));
  QTest::mouseClick(window.btnAddGroup, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_TRUE(message.startsWith(
      QString::fromStdString("Cannot create file \"" + DataDir() + "News.dat\". ")))
      << message.toStdString();
  EXPECT_TRUE(window.isVisible());
  // The command ended where it failed: no group was added.
  EXPECT_EQ(Groups(), QStringList{"News"});
  EXPECT_FALSE(DataExists("Second.dat"));
}

TEST_F(WindowStartup, ClosesTheNormalWayOnSigterm) {
  WriteData("News.dat", groupfile::Group({{"a-link", "Alpha"}}, 99, 4242));
  TfrmControl& window = Start();
  const TSignalCloser closer(window);
  std::raise(SIGTERM);
  ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
  EXPECT_TRUE(DataExists("Settings.ruv"));
  EXPECT_NE(groupfile::IdOf(ReadData("News.dat")), 4242) << "the group was written again";
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{"a-link", "Alpha"}}));
}

TEST_F(WindowStartup, CancelsAnOpenDialogBeforeClosingOnSigint) {
  TfrmControl& window = Start();
  const TSignalCloser closer(window);
  bool sent = false;
  TModalScript script;
  script.Then([&](QWidget&) {
    sent = true;
    std::raise(SIGINT);
  });
  window.btnAddGroupClick();
  EXPECT_TRUE(sent);
  ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
  EXPECT_TRUE(DataFiles() == QStringList{"Settings.ruv"}) << DataFiles().join(",").toStdString();
}

TEST_F(WindowStartup, ClosesWhenTheApplicationIsAboutToQuit) {
  TfrmControl& window = Start();
  const TSignalCloser closer(window);
  ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(DataExists("Settings.ruv"));
}

TEST_F(WindowStartup, ALaterStartOnTheSameDirectoryBringsTheWindowToTheFront) {
  TfrmControl& window = Start();
  EXPECT_FALSE(AnotherWindowRuns(window)) << "the window holds the lock itself";
  new TFrontRequests(window, window.DataDir());
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  window.showMinimized();
  ASSERT_TRUE(CallRunningWindow(window.DataDir()));
  EXPECT_TRUE(WaitFor([&] { return window.isActiveWindow() && !window.isMinimized(); }, 5000));
  EXPECT_FALSE(CallRunningWindow(DataDir() + "elsewhere/")) << "no window runs there";
}

TEST(WindowSignals, ASecondSignalEndsTheProcessAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QWidget window;
        window.show();
        const TSignalCloser closer(window);
        std::raise(SIGTERM);
        std::raise(SIGTERM);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST(WindowSignals, GivesTheSignalsBackWhenGone) {
  struct sigaction current = {};
  {
    QWidget window;
    const TSignalCloser closer(window);
    sigaction(SIGTERM, nullptr, &current);
    EXPECT_NE(current.sa_handler, SIG_DFL);
  }
  sigaction(SIGTERM, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
  sigaction(SIGINT, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

class DataDirectoryChoice : public ::testing::Test {
 protected:
  std::string Path(const QString& name) const { return FRoot.filePath(name).toStdString(); }
  QTemporaryDir FRoot;
};

TEST_F(DataDirectoryChoice, TakesTheDirectoryBesideTheExecutableAndCreatesIt) {
  ASSERT_TRUE(QDir().mkpath(FRoot.filePath("bin")));
  EXPECT_EQ(ChooseDataDir(Path("bin"), Path("xdg"), Path("home")), Path("bin") + "/Data/");
  EXPECT_TRUE(QDir(FRoot.filePath("bin/Data")).exists());
  EXPECT_FALSE(QDir(FRoot.filePath("xdg")).exists());
}

TEST_F(DataDirectoryChoice, FallsBackToTheUsersDataHomeWhenBesideCannotBeMade) {
  // A file stands where the executable's directory would hold Data.
  test::WriteFile(FRoot.filePath("bin"), "a file");
  EXPECT_EQ(ChooseDataDir(Path("bin"), Path("xdg"), Path("home")), Path("xdg") + "/vantle/Data/");
  EXPECT_TRUE(QDir(FRoot.filePath("xdg/vantle/Data")).exists());
}

TEST_F(DataDirectoryChoice, IgnoresAnEmptyOrRelativeDataHome) {
  test::WriteFile(FRoot.filePath("bin"), "a file");
  const std::string expected = Path("home") + "/.local/share/vantle/Data/";
  EXPECT_EQ(ChooseDataDir(Path("bin"), "", Path("home")), expected);
  EXPECT_EQ(ChooseDataDir(Path("bin"), "relative/xdg", Path("home")), expected);
  EXPECT_TRUE(QDir(QString::fromStdString(expected)).exists());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
