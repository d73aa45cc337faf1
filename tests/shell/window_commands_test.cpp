#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "UfrmAddFeed.h"
#include "UfrmGroup.h"
#include "window_fixture.h"

namespace vantle {
namespace {

using test::As;
using test::Box;
using test::CancelInput;
using test::Input;
using test::TFeedRow;
using test::TModalScript;
using test::WaitFor;
namespace groupfile = test::groupfile;

// Tests a link in the New Feed dialog and adds the feed with the title proposed.
TModalScript::THandler AddFeedDialog(const std::string& link) {
  return As<TfrmAddFeed>([link](TfrmAddFeed& dialog) {
    if (dialog.edLink->text().isEmpty()) {
      dialog.edLink->setText(QString::fromStdString(link));
    }
    dialog.TestLink();
    EXPECT_TRUE(dialog.btnOK->isEnabled()) << "the test of " << link << " failed";
    dialog.btnOK->click();
  });
}

// Changes the title and the group in the Edit Feed dialog, then presses OK.
TModalScript::THandler EditFeedDialog(const QString& title, const QString& group = QString()) {
  return As<TfrmAddFeed>([title, group](TfrmAddFeed& dialog) {
    dialog.edTitle->setText(title);
    if (!group.isEmpty()) {
      dialog.comboGroups->setCurrentIndex(dialog.comboGroups->findText(group));
    }
    dialog.btnOK->click();
  });
}

TModalScript::THandler GroupDialog(const QString& title, QString* message = nullptr) {
  return As<TfrmGroup>([title, message](TfrmGroup& dialog) {
    dialog.edTitle->setText(title);
    dialog.Button2->click();
    if (dialog.isVisible()) {
      if (message != nullptr) {
        *message = dialog.lblMessage->text();
      }
      dialog.Button1->click();
    }
  });
}

class WindowCommands : public test::TWindowTest {
 protected:
  void ClickRow(int row) {
    TGridControl& grid = *Window->FeedGrid;
    const QRect cell = grid.visualRect(grid.model()->index(row, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
  }

  void Switch(const QString& group) {
    Window->GroupBox->setCurrentIndex(Window->GroupBox->findText(group));
    Window->GroupBoxChange();
  }

  // A group of three local feeds, A, B and C, in list order.
  std::vector<TFeedRow> ThreeFeeds() {
    return {{WriteFeed("a.xml", "Feed A"), "A"},
            {WriteFeed("b.xml", "Feed B"), "B"},
            {WriteFeed("c.xml", "Feed C"), "C"}};
  }

  // The file of an empty group, with the ID and title width the written file carries.
  std::string EmptyGroupFile(const QString& group) const {
    const std::string written = ReadData(group + ".dat");
    return groupfile::PropsRecord(1, groupfile::TitleWidthOf(written), groupfile::IdOf(written));
  }

  std::string PagePath() const {
    return FRoot.filePath(QStringLiteral("tmp/vantle-%1/vantle_tmp.htm").arg(geteuid()))
        .toStdString();
  }
};

TEST_F(WindowCommands, NewGroupStripsTheNameAndWritesTheGroupEmpty) {
  TfrmControl& window = Start();
  QString caption;
  QString prompt;
  TModalScript script;
  script.Then(Input("My Feeds", &caption, &prompt));
  window.btnAddGroupClick();
  EXPECT_EQ(caption, "New Feed Group");
  EXPECT_EQ(prompt, "Enter new name for group");
  EXPECT_EQ(Groups(), QStringList{"MyFeeds"});
  EXPECT_EQ(window.CurrentGroup(), "MyFeeds");
  EXPECT_TRUE(window.GroupBox->isEnabled());
  EXPECT_TRUE(window.btnNewFeed->isEnabled());
  EXPECT_TRUE(window.btnEditGroup->isEnabled());
  EXPECT_FALSE(window.FeedGrid->isEnabled());
  EXPECT_EQ(DataFiles(), QStringList{"MyFeeds.dat"});
  EXPECT_EQ(ReadData("MyFeeds.dat"), EmptyGroupFile("MyFeeds"));
}

TEST_F(WindowCommands, TheNewGroupQueryIsWideEnoughForItsCaption) {
  TfrmControl& window = Start();
  int width = 0;
  TModalScript script;
  script.Then(As<QInputDialog>([&](QInputDialog& query) {
    width = query.width();
    query.reject();
  }));
  window.btnAddGroupClick();
  // The caption in a bold title font, beside a title bar's icon and three buttons.
  QFont title = QApplication::font();
  title.setBold(true);
  EXPECT_GE(width, QFontMetrics(title).horizontalAdvance("New Feed Group") + 4 * 32);
}

TEST_F(WindowCommands, NewGroupRemovesEveryCharacterAFileNameCannotHold) {
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(Input("a/b:c")).Then(Input("x\\y*z?\"<>|w"));
  window.btnAddGroupClick();
  window.btnAddGroupClick();
  EXPECT_EQ(Groups(), (QStringList{"abc", "xyzw"}));
  EXPECT_EQ(DataFiles(), (QStringList{"abc.dat", "xyzw.dat"}));
}

TEST_F(WindowCommands, NewGroupOfRemovedCharactersOnlyDoesNothingAtAll) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  WriteData("News.dat", groupfile::Group({{link, "A"}}));
  TfrmControl& window = Start();
  ClickRow(0);
  TModalScript script;
  script.Then(Input("   ")).Then(Input(" /:: "));
  window.btnAddGroupClick();
  window.btnAddGroupClick();
  EXPECT_EQ(window.CurrentLink(), link) << "not even the current feed is cleared";
  EXPECT_EQ(window.SelectedRow(), 0);
  EXPECT_EQ(Groups(), QStringList{"News"});
  EXPECT_EQ(DataFiles(), QStringList{"News.dat"});
}

TEST_F(WindowCommands, NewGroupRefusesANameThatDiffersOnlyInCase) {
  const std::string news = groupfile::Group({}, 99, 4242);
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  QString message;
  TModalScript script;
  script.Then(Input("news")).Then(Box(QMessageBox::Ok, &message));
  window.btnAddGroupClick();
  EXPECT_EQ(message, "same name");
  EXPECT_EQ(Groups(), QStringList{"News"});
  EXPECT_EQ(DataFiles(), QStringList{"News.dat"});
  EXPECT_EQ(ReadData("News.dat"), news);
}

TEST_F(WindowCommands, CancellingNewGroupClearsTheCurrentFeedButKeepsThePage) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  const std::string news = groupfile::Group({{link, "A"}});
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  ClickRow(0);
  ASSERT_TRUE(window.btnEditFeed->isEnabled());
  TModalScript script;
  script.Then(CancelInput());
  window.btnAddGroupClick();
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_FALSE(window.comboViewStyle->isEnabled());
  EXPECT_EQ(ReadData("News.dat"), news);
}

TEST_F(WindowCommands, NewGroupWritesTheGroupBeingLeftAndShowsTheHomePage) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  WriteData("News.dat", groupfile::Group({{link, "A"}}, 99, 4242));
  TfrmControl& window = Start();
  ClickRow(0);
  TModalScript script;
  script.Then(Input("Blogs"));
  window.btnAddGroupClick();
  EXPECT_NE(groupfile::IdOf(ReadData("News.dat")), 4242);
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{link, "A"}}));
  EXPECT_EQ(ReadData("Blogs.dat"), EmptyGroupFile("Blogs"));
  EXPECT_EQ(Groups(), (QStringList{"Blogs", "News"}));
  EXPECT_EQ(window.GroupBox->currentText(), "Blogs");
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_TRUE(FeedsInList().empty());
}

TEST_F(WindowCommands, SwitchingGroupsWritesOnlyAGroupWithFeeds) {
  const std::string empty = groupfile::Group({}, 99, 4242);
  const std::vector<TFeedRow> feeds = {{"a-link", "A"}, {"b-link", "B"}};
  WriteData("Alpha.dat", empty);
  WriteData("Beta.dat", groupfile::Group(feeds, 99, 4343));
  TfrmControl& window = Start();
  Switch("Beta");
  EXPECT_EQ(ReadData("Alpha.dat"), empty) << "a group without feeds is not written";
  EXPECT_EQ(FeedsInList(), feeds);
  EXPECT_EQ(window.CurrentGroup(), "Beta");
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_EQ(window.FeedGrid->Row(), 0);
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  Switch("Alpha");
  EXPECT_NE(groupfile::IdOf(ReadData("Beta.dat")), 4343);
  EXPECT_EQ(FeedsOnDisk("Beta"), feeds);
  EXPECT_FALSE(window.FeedGrid->isEnabled());
}

TEST_F(WindowCommands, SwitchingGroupsClearsTheFeedShownAndTheHighlight) {
  WriteData("Alpha.dat", groupfile::Group({{WriteFeed("a.xml", "Feed A"), "A"}}));
  WriteData("Beta.dat", groupfile::Group({{"b-link", "B"}}));
  TfrmControl& window = Start();
  ClickRow(0);
  Switch("Beta");
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_TRUE(window.CurrentTitle().empty());
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_FALSE(window.btnBack->isEnabled());
}

TEST_F(WindowCommands, RenamingAGroupToAChangeOfCaseMovesItsFile) {
  const std::vector<TFeedRow> feeds = {{"a-link", "A"}};
  WriteData("News.dat", groupfile::Group(feeds));
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(GroupDialog("news"));
  window.btnEditGroupClick();
  EXPECT_EQ(DataFiles(), QStringList{"news.dat"});
  EXPECT_EQ(FeedsOnDisk("news"), feeds);
  EXPECT_EQ(Groups(), QStringList{"news"});
  EXPECT_EQ(window.CurrentGroup(), "news");
}

TEST_F(WindowCommands, RenamingAGroupToItsOwnNameChangesNothing) {
  const std::string news = groupfile::Group({{"a-link", "A"}}, 99, 4242);
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(GroupDialog(" News "));
  window.btnEditGroupClick();
  EXPECT_EQ(ReadData("News.dat"), news);
  EXPECT_EQ(DataFiles(), QStringList{"News.dat"});
}

TEST_F(WindowCommands, RenamingKeepsTheEntryInPlaceAndTheFeedShown) {
  WriteData("Alpha.dat", groupfile::Group({{WriteFeed("a.xml", "Feed A"), "A"}}));
  WriteData("Beta.dat", groupfile::Group({}));
  WriteData("Gamma.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  ClickRow(0);
  const std::string link = window.CurrentLink();
  TModalScript script;
  script.Then(GroupDialog("Zeta"));
  window.btnEditGroupClick();
  EXPECT_EQ(Groups(), (QStringList{"Zeta", "Beta", "Gamma"}));
  EXPECT_EQ(window.GroupBox->currentIndex(), 0);
  EXPECT_EQ(window.CurrentLink(), link);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(DataFiles(), (QStringList{"Beta.dat", "Gamma.dat", "Zeta.dat"}));
  EXPECT_EQ(FeedsOnDisk("Zeta"), (std::vector<TFeedRow>{{link, "A"}}));
}

TEST_F(WindowCommands, RenamingToAnotherGroupsNameIsRefusedInTheDialog) {
  const std::string alpha = groupfile::Group({}, 99, 4242);
  WriteData("Alpha.dat", alpha);
  WriteData("Beta.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  QString message;
  TModalScript script;
  script.Then(GroupDialog("BETA", &message));
  window.btnEditGroupClick();
  EXPECT_EQ(message, "Name already in used");
  EXPECT_EQ(ReadData("Alpha.dat"), alpha);
  EXPECT_EQ(Groups(), (QStringList{"Alpha", "Beta"}));
}

TEST_F(WindowCommands, ARenameThatCannotBeWrittenKeepsTheOldFile) {
  const std::string news = groupfile::Group({{"a-link", "A"}}, 99, 4242);
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  // Something the reader cannot replace stands at the new name.
  ASSERT_TRUE(QDir().mkpath(DataPath("Renamed.dat/inside")));
  QString message;
  TModalScript script;
  script.Then(GroupDialog("Renamed")).Then(Box(QMessageBox::Ok, &message));
  test::RunCommand([&] { window.btnEditGroupClick(); });
  EXPECT_TRUE(message.startsWith(
      QString::fromStdString("Cannot create file \"" + DataDir() + "Renamed.dat\". ")))
      << message.toStdString();
  EXPECT_EQ(ReadData("News.dat"), news);
  EXPECT_EQ(Groups(), QStringList{"News"});
  EXPECT_EQ(window.CurrentGroup(), "News");
}

TEST_F(WindowCommands, RenamingAGroupThatFailedToLoadMovesItsFileUntouched) {
  WriteData("Alpha.dat", groupfile::Group({}));
  WriteData("Broken.dat", "damaged bytes");
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(Box(QMessageBox::Ok)).Then(GroupDialog("Kept"));
  test::RunCommand([&] { Switch("Broken"); });
  ASSERT_TRUE(window.ListIsUnloaded());
  window.btnEditGroupClick();
  EXPECT_EQ(DataFiles(), (QStringList{"Alpha.dat", "Kept.dat"}));
  EXPECT_EQ(ReadData("Kept.dat"), "damaged bytes");
  EXPECT_EQ(window.CurrentGroup(), "Kept");
}

TEST_F(WindowCommands, DeletingAGroupShowsTheFirstRemainingOne) {
  WriteData("Alpha.dat", groupfile::Group({{"a-link", "A"}}));
  WriteData("Beta.dat", groupfile::Group({{WriteFeed("b.xml", "Feed B"), "B"}}));
  TfrmControl& window = Start();
  Switch("Beta");
  ClickRow(0);
  QString question;
  TModalScript script;
  script.Then(Box(QMessageBox::Yes, &question));
  window.btnDeletegroupClick();
  EXPECT_EQ(question, "Are you sure you want to delete this group and all its feeds?");
  EXPECT_EQ(DataFiles(), QStringList{"Alpha.dat"});
  EXPECT_EQ(Groups(), QStringList{"Alpha"});
  EXPECT_EQ(window.CurrentGroup(), "Alpha");
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{"a-link", "A"}}));
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_EQ(window.FeedGrid->RowHeights(0), 35);
}

TEST_F(WindowCommands, CancellingDeleteGroupChangesNothing) {
  WriteData("Alpha.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(Box(QMessageBox::Cancel));
  window.btnDeletegroupClick();
  EXPECT_EQ(DataFiles(), QStringList{"Alpha.dat"});
  EXPECT_EQ(Groups(), QStringList{"Alpha"});
}

TEST_F(WindowCommands, DeletingTheLastGroupResetsTheWindowFromTheSettings) {
  WriteData("Settings.ruv", "[SETTINGS]\r\nviewstyle=1\r\nwd=900\r\nhg=700\r\n");
  WriteData("Only.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  window.resize(1000, 650);
  window.comboViewStyle->setCurrentIndex(0);
  TModalScript script;
  script.Then(Box(QMessageBox::Yes)).Then(Input("Fresh"));
  window.btnDeletegroupClick();
  EXPECT_EQ(window.size(), QSize(900, 700));
  EXPECT_EQ(window.comboViewStyle->currentText(), "List");
  EXPECT_FALSE(window.GroupBox->isEnabled());
  EXPECT_TRUE(window.CurrentGroup().empty());
  EXPECT_EQ(window.focusWidget(), window.btnAddGroup);
  EXPECT_FALSE(window.btnNewFeed->isEnabled());
  EXPECT_EQ(DataFiles(), QStringList{"Settings.ruv"});

  window.btnAddGroupClick();
  EXPECT_EQ(DataFiles(), (QStringList{"Fresh.dat", "Settings.ruv"}));
}

TEST_F(WindowCommands, TheEditGroupDialogCanDeleteTheGroup) {
  WriteData("Alpha.dat", groupfile::Group({}));
  WriteData("Beta.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  TModalScript script;
  script
      .Then(As<TfrmGroup>([](TfrmGroup& dialog) {
        EXPECT_EQ(dialog.edTitle->text(), "Alpha");
        EXPECT_EQ(dialog.GroupIndex, 0);
        dialog.Button3->click();
      }))
      .Then(Box(QMessageBox::Yes));
  window.GroupBoxDblClick();
  EXPECT_EQ(DataFiles(), QStringList{"Beta.dat"});
  EXPECT_EQ(window.CurrentGroup(), "Beta");
}

TEST_F(WindowCommands, ADoubleClickOnTheGroupListOpensEditGroup) {
  WriteData("Alpha.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(As<TfrmGroup>([](TfrmGroup& dialog) { dialog.Button1->click(); }));
  QTest::mouseDClick(window.GroupBox, Qt::LeftButton);
  EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
}

TEST_F(WindowCommands, AddingAFeedToAnEmptyGroupFillsItsOneRow) {
  WriteData("News.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  const std::string link = WriteFeed("a.xml", "Alpha Daily");
  TModalScript script;
  script.Then(AddFeedDialog(link));
  window.btnNewFeedClick();
  EXPECT_EQ(window.FeedGrid->RowCount(), 1);
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{link, "Alpha Daily"}}));
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(window.CurrentLink(), link);
  EXPECT_EQ(window.SelectedRow(), 0);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_TRUE(window.btnEditFeed->isEnabled());
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{{link, "Alpha Daily"}}));
}

TEST_F(WindowCommands, AddingAFeedAppendsItAndSortsItIntoPlace) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("News.dat", groupfile::Group({feeds[0], feeds[2]}));
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    EXPECT_EQ(dialog.comboGroups->count(), 1);
    EXPECT_EQ(dialog.comboGroups->currentText(), "News");
    dialog.edLink->setText(QString::fromStdString(feeds[1].Link));
    dialog.TestLink();
    dialog.edTitle->setText(" B ");
    dialog.btnOK->click();
  }));
  window.btnNewFeedClick();
  EXPECT_EQ(FeedsInList(), feeds);
  EXPECT_EQ(window.SelectedRow(), 1);
  EXPECT_EQ(window.FeedGrid->Row(), 1);
  EXPECT_EQ(window.CurrentLink(), feeds[1].Link);
  EXPECT_EQ(FeedsOnDisk("News"), feeds);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(window.FeedGrid->RowHeights(row), 35);
  }
}

TEST_F(WindowCommands, NewFeedAddsTheFeedToTheGroupPickedAndShowsItThere) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("Art.dat", groupfile::Group({feeds[0]}));
  WriteData("News.dat", groupfile::Group({feeds[2]}));
  TfrmControl& window = Start();
  ASSERT_EQ(window.CurrentGroup(), "Art");
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    dialog.edLink->setText(QString::fromStdString(feeds[1].Link));
    dialog.TestLink();
    dialog.edTitle->setText("B");
    dialog.comboGroups->setCurrentIndex(dialog.comboGroups->findText("News"));
    dialog.btnOK->click();
  }));
  window.btnNewFeedClick();
  EXPECT_EQ(window.CurrentGroup(), "News");
  EXPECT_EQ(window.GroupBox->currentText(), "News");
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[1], feeds[2]}));
  EXPECT_EQ(window.SelectedRow(), 0);
  EXPECT_EQ(window.CurrentLink(), feeds[1].Link);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{feeds[1], feeds[2]}));
  EXPECT_EQ(FeedsOnDisk("Art"), (std::vector<TFeedRow>{feeds[0]}));
}

TEST_F(WindowCommands, AddingTheFeedShownAgainDoesNotReloadIt) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  WriteData("News.dat", groupfile::Group({{link, "A"}}));
  TfrmControl& window = Start();
  ClickRow(0);
  ASSERT_TRUE(QFile::remove(QString::fromStdString(PagePath())));
  TModalScript script;
  script.Then(AddFeedDialog(link));
  window.btnNewFeedClick();
  EXPECT_EQ(FeedsInList().size(), 2u);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(PagePath())));
  EXPECT_EQ(FeedsOnDisk("News").size(), 2u);
}

TEST_F(WindowCommands, CancellingNewFeedChangesNoFile) {
  const std::string news = groupfile::Group({{"a-link", "A"}}, 99, 4242);
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  TModalScript script;
  script.Then(As<TfrmAddFeed>([](TfrmAddFeed& dialog) { dialog.btnCancel->click(); }));
  window.btnNewFeedClick();
  EXPECT_EQ(ReadData("News.dat"), news);
  EXPECT_EQ(FeedsInList().size(), 1u);
}

TEST_F(WindowCommands, ChangingATitleResortsTheListAndKeepsTheFeedSelected) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("News.dat", groupfile::Group(feeds));
  TfrmControl& window = Start();
  ClickRow(0);
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Edit Feed");
    EXPECT_EQ(dialog.edLink->text().toStdString(), feeds[0].Link);
    EXPECT_EQ(dialog.edTitle->text(), "A");
    dialog.edTitle->setText("Zulu");
    dialog.btnOK->click();
  }));
  window.btnEditFeedClick();
  const std::vector<TFeedRow> expected = {feeds[1], feeds[2], {feeds[0].Link, "Zulu"}};
  EXPECT_EQ(FeedsInList(), expected);
  EXPECT_EQ(window.SelectedRow(), 2);
  EXPECT_EQ(window.CurrentTitle(), "Zulu");
  EXPECT_EQ(FeedsOnDisk("News"), expected);
}

TEST_F(WindowCommands, MovingTheOnlyFeedLeavesAnEmptyGroupAndShowsTheFeedInTheTarget) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("Alpha.dat", groupfile::Group({feeds[1]}));
  WriteData("Beta.dat", groupfile::Group({feeds[0], feeds[2]}));
  TfrmControl& window = Start();
  ClickRow(0);
  TModalScript script;
  script.Then(EditFeedDialog("B", "Beta"));
  window.btnEditFeedClick();
  EXPECT_EQ(ReadData("Alpha.dat"), EmptyGroupFile("Alpha"));
  EXPECT_EQ(window.CurrentGroup(), "Beta");
  EXPECT_EQ(window.GroupBox->currentText(), "Beta");
  EXPECT_EQ(FeedsInList(), feeds);
  EXPECT_EQ(window.CurrentLink(), feeds[1].Link);
  EXPECT_EQ(window.SelectedRow(), 1);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(FeedsOnDisk("Beta"), feeds);
}

TEST_F(WindowCommands, MovingAFeedToAnUnreadableGroupMovesNothing) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  const std::string alpha = groupfile::Group({feeds[0]}, 99, 4242);
  WriteData("Alpha.dat", alpha);
  WriteData("Broken.dat", "damaged bytes");
  TfrmControl& window = Start();
  ClickRow(0);
  QString message;
  TModalScript script;
  script.Then(EditFeedDialog("A", "Broken")).Then(Box(QMessageBox::Ok, &message));
  test::RunCommand([&] { window.btnEditFeedClick(); });
  EXPECT_EQ(message, "Invalid stream format");
  EXPECT_EQ(ReadData("Alpha.dat"), alpha);
  EXPECT_EQ(ReadData("Broken.dat"), "damaged bytes");
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[0]}));
  EXPECT_EQ(window.CurrentGroup(), "Alpha");
}

TEST_F(WindowCommands, DeletingTheOnlyFeedInTheDialogEmptiesTheGroup) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  WriteData("News.dat", groupfile::Group({{link, "A"}}));
  TfrmControl& window = Start();
  ClickRow(0);
  QString question;
  TModalScript script;
  script.Then(As<TfrmAddFeed>([](TfrmAddFeed& dialog) { dialog.btnDelete->click(); }))
      .Then(Box(QMessageBox::Yes, &question));
  window.btnEditFeedClick();
  EXPECT_EQ(question, "Are you sure you want to delete this feed?");
  EXPECT_TRUE(FeedsInList().empty());
  EXPECT_FALSE(window.FeedGrid->isEnabled());
  EXPECT_TRUE(window.CurrentLink().empty());
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_EQ(ReadData("News.dat"), EmptyGroupFile("News"));
}

TEST_F(WindowCommands, DeleteFeedOnTheOnlyFeedWritesAnEmptyGroupAndTheNextFeedFillsItsRow) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  WriteData("News.dat", groupfile::Group({{link, "A"}}));
  TfrmControl& window = Start();
  ClickRow(0);
  QString question;
  TModalScript script;
  script.Then(Box(QMessageBox::Yes, &question));
  window.btnDeleteClick();
  EXPECT_EQ(question, "Are you sure you want to delete this feed?");
  EXPECT_EQ(window.FeedGrid->RowCount(), 1);
  EXPECT_FALSE(window.FeedGrid->isEnabled());
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);
  EXPECT_EQ(window.SelectedRow(), -1);
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_EQ(ReadData("News.dat"), EmptyGroupFile("News"));

  script.Then(AddFeedDialog(WriteFeed("b.xml", "Feed B")));
  window.btnNewFeedClick();
  EXPECT_EQ(window.FeedGrid->RowCount(), 1);
  EXPECT_EQ(FeedsOnDisk("News").size(), 1u);
}

TEST_F(WindowCommands, DeleteFeedRemovesTheSelectedRowAndKeepsTheOrderOfTheRest) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("News.dat", groupfile::Group(feeds));
  TfrmControl& window = Start();
  ClickRow(1);
  TModalScript script;
  script.Then(Box(QMessageBox::Yes));
  window.DeleteFeed1->trigger();
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[0], feeds[2]}));
  EXPECT_EQ(FeedsOnDisk("News"), (std::vector<TFeedRow>{feeds[0], feeds[2]}));
  EXPECT_EQ(window.FeedGrid->Row(), 0);
}

TEST_F(WindowCommands, FeedCommandsActOnTheRowTheArrowKeysReached) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  WriteData("News.dat", groupfile::Group(feeds));
  TfrmControl& window = Start();
  ClickRow(0);
  QTest::keyClick(window.FeedGrid, Qt::Key_Down);
  ASSERT_EQ(window.FeedGrid->Row(), 1) << "the cursor moved without a click";
  ASSERT_EQ(window.SelectedRow(), 1) << "the highlight moved with it";
  EXPECT_EQ(window.CurrentLink(), feeds[0].Link) << "and nothing was loaded";
  TModalScript script;
  script.Then(Box(QMessageBox::Yes));
  window.btnDeleteClick();
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[0], feeds[2]}));
}

TEST_F(WindowCommands, CancellingDeleteFeedChangesNoFile) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  const std::string news = groupfile::Group(feeds, 99, 4242);
  WriteData("News.dat", news);
  TfrmControl& window = Start();
  ClickRow(2);
  TModalScript script;
  script.Then(Box(QMessageBox::Cancel));
  window.btnDeleteClick();
  EXPECT_EQ(ReadData("News.dat"), news);
  EXPECT_EQ(FeedsInList(), feeds);
  EXPECT_EQ(window.CurrentLink(), feeds[2].Link);
}

TEST_F(WindowCommands, ADoubleClickOpensEditFeedForTheRowEvenAfterItsLoadFailed) {
  WriteData("News.dat", groupfile::Group({{MissingFeed(), "Broken"}}));
  TfrmControl& window = Start();
  QString link;
  QString title;
  TModalScript script;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    link = dialog.edLink->text();
    title = dialog.edTitle->text();
    EXPECT_FALSE(dialog.btnTest->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.edLink->isReadOnly());
    dialog.btnCancel->click();
  }));
  TGridControl& grid = *window.FeedGrid;
  const QPoint cell = grid.visualRect(grid.model()->index(0, 2)).center();
  // As the platform delivers it: a click, then a press that is also a double click.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cell);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, cell);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_FALSE(window.btnEditFeed->isEnabled());
  EXPECT_EQ(link.toStdString(), MissingFeed());
  EXPECT_EQ(title, "Broken");
}

TEST_F(WindowCommands, AddingAFeedToAGroupThatFailedToLoadWritesIt) {
  WriteData("Broken.dat", "damaged bytes");
  TModalScript script;
  script.Then(Box(QMessageBox::Ok));
  TfrmControl& window = Start();
  ASSERT_TRUE(window.ListIsUnloaded());
  const std::string link = WriteFeed("a.xml", "Feed A");
  script.Then(AddFeedDialog(link));
  window.btnNewFeedClick();
  EXPECT_FALSE(window.ListIsUnloaded());
  EXPECT_EQ(FeedsOnDisk("Broken"), (std::vector<TFeedRow>{{link, "Feed A"}}));
}

TEST_F(WindowCommands, AddingAFeedToAPartlyReadGroupKeepsItsRowsAndTheDamagedFile) {
  const std::string damaged = groupfile::PropsRecord(3, 176, 1) +
                              groupfile::CellRecord(0, 0, "kept-link") +
                              groupfile::CellRecord(2, 0, "Kept") + "TPF0 and then garbage";
  WriteData("Broken.dat", damaged);
  TModalScript script;
  script.Then(Box(QMessageBox::Ok));
  TfrmControl& window = Start();
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{"kept-link", "Kept"}}));
  EXPECT_TRUE(window.FeedGrid->isEnabled());
  EXPECT_EQ(window.FeedGrid->RowCount(), 1) << "rows without a link are dropped";
  const std::string link = WriteFeed("a.xml", "Feed A");
  script.Then(AddFeedDialog(link));
  window.btnNewFeedClick();
  EXPECT_EQ(FeedsOnDisk("Broken"),
            (std::vector<TFeedRow>{{link, "Feed A"}, {"kept-link", "Kept"}}));
  EXPECT_EQ(ReadData("Broken.dat.damaged"), damaged);
  EXPECT_EQ(Groups(), QStringList{"Broken"});
}

TEST_F(WindowCommands, AfterAFailedSwitchRenameActsOnTheGroupTheListHolds) {
  WriteData("Alpha.dat", groupfile::Group({{"a-link", "A"}}));
  const std::string beta = groupfile::Group({{"b-link", "B"}});
  WriteData("Beta.dat", beta);
  TfrmControl& window = Start();
  // The group being left cannot be written.
  ASSERT_TRUE(QFile::remove(DataPath("Alpha.dat")));
  ASSERT_TRUE(QDir().mkpath(DataPath("Alpha.dat/inside")));
  TModalScript script;
  script.Then(Box(QMessageBox::Ok));
  test::RunCommand([&] { Switch("Beta"); });
  EXPECT_EQ(window.GroupBox->currentText(), "Alpha");
  EXPECT_EQ(window.CurrentGroup(), "Alpha");
  script.Then(GroupDialog("Gamma"));
  window.btnEditGroupClick();
  EXPECT_EQ(FeedsOnDisk("Gamma"), (std::vector<TFeedRow>{{"a-link", "A"}}));
  EXPECT_EQ(ReadData("Beta.dat"), beta);
  ASSERT_TRUE(QDir(DataPath("Alpha.dat")).removeRecursively());
}

TEST_F(WindowCommands, RetitlingAFeedToAnothersTitleAndMovingItMovesTheFeedEdited) {
  WriteData("Home.dat", groupfile::Group({{"a-link", "Alpha"}, {"b-link", "Beta"}}));
  WriteData("Away.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  window.GroupBox->setCurrentIndex(window.GroupBox->findText("Home"));
  window.GroupBoxChange();
  window.FeedGridClickCell(1, 2);
  TModalScript script;
  script.Then(EditFeedDialog("Alpha", "Away"));
  window.btnEditFeedClick();
  EXPECT_EQ(FeedsOnDisk("Home"), (std::vector<TFeedRow>{{"a-link", "Alpha"}}));
  EXPECT_EQ(FeedsOnDisk("Away"), (std::vector<TFeedRow>{{"b-link", "Alpha"}}));
}

TEST_F(WindowCommands, PickingTheCurrentGroupAgainChangesNothing) {
  const std::string link = WriteFeed("a.xml", "Feed A");
  const std::string news = groupfile::Group({{link, "A"}}, 176, 5);
  WriteData("News.dat", news);
  WriteData("Other.dat", groupfile::Group({}));
  TfrmControl& window = Start();
  window.FeedGridClickCell(0, 2);
  ASSERT_EQ(window.CurrentLink(), link);
  emit window.GroupBox->activated(window.GroupBox->currentIndex());
  EXPECT_EQ(window.CurrentLink(), link);
  EXPECT_EQ(window.SelectedRow(), 0);
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.BrowserTab);
  EXPECT_EQ(ReadData("News.dat"), news) << "nothing was saved";
}

// The page of the new feed cannot be written: the feed is in its group's file all the same.
struct TRenderFailure {
  const char* Case;
  bool Move;  // moved by Edit Feed; otherwise added by New Feed
};

void PrintTo(const TRenderFailure& failure, std::ostream* out) {
  *out << failure.Case;
}

class WindowCommandsRenderFailure : public WindowCommands,
                                    public ::testing::WithParamInterface<TRenderFailure> {};

TEST_P(WindowCommandsRenderFailure, SavesTheGroupsBeforeTheFeedIsShown) {
  const std::string a = WriteFeed("a.xml", "Feed A");
  const std::string z = WriteFeed("z.xml", "Feed Z");
  WriteData("Home.dat", groupfile::Group({{z, "Zed"}}));
  WriteData("Away.dat", groupfile::Group({{"m-link", "Mid"}}));
  TfrmControl& window = Start();
  window.GroupBox->setCurrentIndex(window.GroupBox->findText("Home"));
  window.GroupBoxChange();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PagePath()) + "/inside"));
  QString error;
  TModalScript script;
  if (GetParam().Move) {
    script.Then(Box(QMessageBox::Ok))
        .Then(EditFeedDialog("Zed", "Away"))
        .Then(Box(QMessageBox::Ok, &error));
    test::RunCommand([&] { window.FeedGridClickCell(0, 2); });
    test::RunCommand([&] { window.btnEditFeedClick(); });
    EXPECT_EQ(FeedsOnDisk("Home"), std::vector<TFeedRow>{});
    EXPECT_EQ(FeedsOnDisk("Away"), (std::vector<TFeedRow>{{"m-link", "Mid"}, {z, "Zed"}}));
  } else {
    script.Then(AddFeedDialog(a)).Then(Box(QMessageBox::Ok, &error));
    test::RunCommand([&] { window.btnNewFeedClick(); });
    EXPECT_EQ(FeedsOnDisk("Home"), (std::vector<TFeedRow>{{a, "Feed A"}, {z, "Zed"}}));
    EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{a, "Feed A"}, {z, "Zed"}}));
  }
  EXPECT_FALSE(error.isEmpty()) << "the page could not be written";
}

INSTANTIATE_TEST_SUITE_P(Commands, WindowCommandsRenderFailure,
                         ::testing::Values(TRenderFailure{"Adding", false},
                                           TRenderFailure{"Moving", true}));

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
