// The reader window used from the keyboard and the mouse, with the events delivered as the
// window system delivers them (see window_input.h).

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QToolTip>
#include <QWebEngineView>

#include "SimpleRSS.h"
#include "UfrmAddFeed.h"
#include "UfrmGroup.h"
#include "UfrmVantleInfo.h"
#include "WebBrowser.h"
#include "WindowCheck.h"
#include "support/LoopbackServer.h"
#include "window_fixture.h"
#include "window_input.h"

namespace vantle {
namespace {

using test::As;
using test::Box;
using test::ClickAt;
using test::MouseEvent;
using test::PressKey;
using test::TFeedRow;
using test::TModalScript;
using test::WaitFor;
namespace groupfile = test::groupfile;

class WindowKeyboard : public test::TWindowTest {
 protected:
  // Starts over a group "News" holding `feeds` and makes the window the active one.
  TfrmControl& StartWith(const std::vector<TFeedRow>& feeds) {
    WriteData("News.dat", groupfile::Group(feeds));
    TfrmControl& window = Start();
    EXPECT_TRUE(test::Activate(window));
    return window;
  }

  std::vector<TFeedRow> ThreeFeeds() {
    return {{WriteFeed("a.xml", "Feed A"), "A"},
            {WriteFeed("b.xml", "Feed B"), "B"},
            {WriteFeed("c.xml", "Feed C"), "C"}};
  }

  QPoint RowCentre(int row) const {
    TGridControl& grid = *Window->FeedGrid;
    return grid.visualRect(grid.model()->index(row, 2)).center();
  }

  void ClickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
    ClickAt(*Window->FeedGrid->viewport(), RowCentre(row), button);
  }

  // Clicks the item `action` of the menu on the screen.
  static void ChooseFromMenu(QMenu& menu, QAction& action) {
    ClickAt(menu, menu.actionGeometry(&action).center());
  }
};

// Feed dialog

TEST_F(WindowKeyboard, EnterInTheLinkBoxTestsTheLinkAndEnterAfterLinkOkAddsTheFeed) {
  TfrmControl& window = StartWith({});
  const std::string link = WriteFeed("a.xml", "Feed A");
  TModalScript script;
  bool added = false;
  script.Then(As<TfrmAddFeed>([&](TfrmAddFeed& dialog) {
    [&] {
      ASSERT_TRUE(test::Activate(dialog));
      dialog.edLink->setFocus();
      test::TypeText(QString::fromStdString(link));
      PressKey(Qt::Key_Return);
      ASSERT_EQ(dialog.lblMessage->text(), "Link OK") << "Enter in the link box runs Test";
      ASSERT_TRUE(dialog.isVisible());
      EXPECT_EQ(QApplication::focusWidget(), dialog.edTitle);
      EXPECT_EQ(dialog.edTitle->selectedText(), "Feed A");
      PressKey(Qt::Key_Return);
      added = dialog.result() == QDialog::Accepted;
    }();
    // A failed step above leaves the dialog open; it must not wait for ever.
    if (dialog.isVisible()) {
      dialog.reject();
    }
  }));
  window.btnNewFeedClick();
  EXPECT_TRUE(added) << "Enter after Link OK is OK, not Cancel";
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{{link, "Feed A"}}));
}

TEST_F(WindowKeyboard, EscapeCancelsEveryDialog) {
  TfrmControl& window = StartWith({{WriteFeed("a.xml", "Feed A"), "A"}});
  ClickRow(0);
  const std::vector<std::pair<const char*, std::function<void()>>> commands = {
      {"New Feed", [&] { window.btnNewFeedClick(); }},
      {"Edit Feed", [&] { window.btnEditFeedClick(); }},
      {"New Group", [&] { window.btnAddGroupClick(); }},
      {"Edit Group", [&] { window.btnEditGroupClick(); }},
      {"Information", [&] { window.btnInfoClick(); }},
  };
  for (const auto& [name, command] : commands) {
    TModalScript script;
    int result = -1;
    script.Then([&result](QWidget& modal) {
      ASSERT_TRUE(test::Activate(modal));
      PressKey(Qt::Key_Escape);
      auto* dialog = qobject_cast<QDialog*>(&modal);
      result = dialog != nullptr && !dialog->isVisible() ? dialog->result() : -1;
      modal.close();
    });
    command();
    EXPECT_EQ(result, QDialog::Rejected) << name;
  }
  EXPECT_EQ(Groups(), QStringList{"News"});
  EXPECT_EQ(FeedsInList().size(), 1u);
}

// Feed list

TEST_F(WindowKeyboard, ARightClickSelectsTheRowSoThatDeleteRemovesThatFeed) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  TfrmControl& window = StartWith(feeds);
  ClickRow(0);
  ASSERT_EQ(window.CurrentLink(), feeds[0].Link);
  ClickRow(1, Qt::RightButton);
  ASSERT_TRUE(WaitFor([&] { return window.GRidPop->isVisible(); }, 5000));
  EXPECT_EQ(window.SelectedRow(), 1);
  EXPECT_EQ(window.FeedGrid->Row(), 1);
  EXPECT_EQ(window.CurrentTitle(), "B");
  EXPECT_EQ(window.CurrentLink(), feeds[0].Link) << "a right click loads nothing";
  TModalScript script;
  QString question;
  script.Then(Box(QMessageBox::Yes, &question));
  ChooseFromMenu(*window.GRidPop, *window.DeleteFeed1);
  ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
  EXPECT_EQ(question, "Are you sure you want to delete this feed?");
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[0], feeds[2]}));
}

TEST_F(WindowKeyboard, MovingKeysSelectTheRowTheyReachWithoutLoadingIt) {
  const std::vector<TFeedRow> feeds = {
      {WriteFeed("a.xml", "A"), "A"},
      {WriteFeed("b.xml", "B"), "B"},
      {WriteFeed("c.xml", "C"), "C"},
      {WriteFeed("d.xml", "D"), "D"},
  };
  TfrmControl& window = StartWith(feeds);
  ClickRow(1);
  const struct {
    Qt::Key Key;
    int Row;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
  } moves[] = {{Qt::Key_Down, 2},
               {Qt::Key_Up, 1},
               {Qt::Key_End, 3},
               {Qt::Key_Home, 0},
               {Qt::Key_Up, 0},
               {Qt::Key_PageDown, 3},
               {Qt::Key_PageUp, 0},
               {Qt::Key_Down, 1},
               {Qt::Key_Down, 2, Qt::ShiftModifier},
               {Qt::Key_Home, 0, Qt::ControlModifier}};
  for (const auto& move : moves) {
    PressKey(move.Key, move.Modifiers);
    EXPECT_EQ(window.FeedGrid->Row(), move.Row) << "key " << move.Key;
    EXPECT_EQ(window.SelectedRow(), move.Row) << "key " << move.Key;
    EXPECT_EQ(window.CurrentTitle(), feeds[static_cast<size_t>(move.Row)].Title);
  }
  EXPECT_EQ(window.CurrentLink(), feeds[1].Link) << "no key but Enter loads";
}

TEST_F(WindowKeyboard, DownThenEnterLoadsTheNextFeedAndKeepsTheFocusInTheList) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  TfrmControl& window = StartWith(feeds);
  ClickRow(0);
  PressKey(Qt::Key_Down);
  PressKey(Qt::Key_Return);
  EXPECT_EQ(window.CurrentLink(), feeds[1].Link);
  EXPECT_EQ(QApplication::focusWidget(), window.FeedGrid);
  PressKey(Qt::Key_Down);
  PressKey(Qt::Key_Space);
  EXPECT_EQ(window.CurrentLink(), feeds[2].Link);
}

TEST_F(WindowKeyboard, DeleteAndTheMenuKeyActOnTheRowTheKeysReached) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  TfrmControl& window = StartWith(feeds);
  ClickRow(0);
  PressKey(Qt::Key_Down);
  test::PressMenuKey();
  ASSERT_TRUE(WaitFor([&] { return window.GRidPop->isVisible(); }, 5000));
  EXPECT_EQ(window.SelectedRow(), 1);
  PressKey(Qt::Key_Escape);
  ASSERT_TRUE(WaitFor([&] { return !window.GRidPop->isVisible(); }, 5000));
  // No window manager gives the window back its activation once the menu is gone.
  ASSERT_TRUE(test::Activate(window));
  TModalScript script;
  script.Then(Box(QMessageBox::Yes));
  PressKey(Qt::Key_Delete);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(FeedsInList(), (std::vector<TFeedRow>{feeds[0], feeds[2]}));
}

TEST_F(WindowKeyboard, AShortenedTitleShowsWhollyAsATooltip) {
  const std::string title(80, 'W');
  TfrmControl& window = StartWith({{WriteFeed("a.xml", "A"), "Short"}, {MissingFeed(), title}});
  QWidget& viewport = *window.FeedGrid->viewport();
  MouseEvent(viewport, RowCentre(1), QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(WaitFor([] { return QToolTip::isVisible(); }, 5000));
  EXPECT_EQ(QToolTip::text().toStdString(), title);
  MouseEvent(viewport, RowCentre(0), QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }, 5000)) << "a whole title has none";
}

// Window

TEST_F(WindowKeyboard, CtrlRChecksEveryFeedOnceAtATime) {
  test::TLoopbackServer server;
  auto gate = std::make_shared<test::TGate>();
  server.Answer("/held", {.Status = 500, .Gate = gate});
  TfrmControl& window = StartWith({{server.Url("/held"), "Held"}});
  PressKey(Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return server.Holding() == 1; }, 30000));
  EXPECT_TRUE(window.WindowCheck().Checking());
  PressKey(Qt::Key_R, Qt::ControlModifier);
  gate->Open();
  ASSERT_TRUE(WaitFor([&] { return !window.WindowCheck().Checking(); }, 30000));
  EXPECT_EQ(server.RequestsFor("/held"), 1) << "the second Ctrl+R started nothing";
}

TEST_F(WindowKeyboard, TabVisitsEveryControlOnceAndLeavesTheFeedList) {
  const std::vector<TFeedRow> feeds = ThreeFeeds();
  TfrmControl& window = StartWith(feeds);
  ClickRow(0);
  QWebEngineView& view = *window.WebBrowser->View();
  ASSERT_TRUE(WaitFor([&] { return view.focusProxy() != nullptr; }));
  window.GroupBox->setFocus();
  // The page takes Tab for its own links before it gives the focus back, so its stops count
  // as one control; the focus moves on asynchronously while the page has it.
  std::vector<QWidget*> visited;
  for (int press = 0; press < 40 && (visited.empty() || visited.back() != window.GroupBox);
       ++press) {
    QWidget* before = QApplication::focusWidget();
    PressKey(Qt::Key_Tab);
    WaitFor([&] { return QApplication::focusWidget() != before; }, 1000);
    QWidget* now = QApplication::focusWidget();
    if (now != nullptr && window.WebBrowser->isAncestorOf(now)) {
      now = window.WebBrowser;
    }
    if (visited.empty() || visited.back() != now) {
      visited.push_back(now);
    }
  }
  const std::vector<QWidget*> expected = {
      window.btnAddGroup, window.btnNewFeed, window.btnEditGroup,   window.btnEditFeed,
      window.btnInfo,     window.btnBack,    window.comboViewStyle, window.FeedGrid,
      window.WebBrowser,  window.GroupBox};
  EXPECT_EQ(visited, expected);
  PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(
      WaitFor([&] { return window.WebBrowser->isAncestorOf(QApplication::focusWidget()); }, 5000));
  window.FeedGrid->setFocus();
  PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), window.comboViewStyle) << "Shift+Tab leaves the list too";
}

TEST_F(WindowKeyboard, ShortcutsGoBackAndForwardReloadAndClose) {
  const std::string link = WriteFeed("a.xml", "Before");
  TfrmControl& window = StartWith({{link, "A"}});
  ClickRow(0);
  ASSERT_EQ(window.FeedReader()->Channel().Required.Title(), "Before");
  WriteFeed("a.xml", "After");
  PressKey(Qt::Key_F5);
  EXPECT_EQ(window.FeedReader()->Channel().Required.Title(), "After");
  EXPECT_EQ(window.CurrentLink(), link);

  window.btnForward->setEnabled(true);
  PressKey(Qt::Key_Right, Qt::AltModifier);
  EXPECT_FALSE(window.btnForward->isEnabled()) << "Forward found no later page";
  PressKey(Qt::Key_Left, Qt::AltModifier);
  EXPECT_TRUE(window.CurrentLink().empty()) << "Back found no earlier page";
  EXPECT_EQ(window.BasePageControl->ActivePage(), window.HomeTab);

  PressKey(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); }, 5000));
  EXPECT_TRUE(DataExists("Settings.ruv")) << "closed as a normal close";
}

TEST_F(WindowKeyboard, ASingleClickOnTheGroupBoxOpensTheListAndADoubleClickEditsTheGroup) {
  TfrmControl& window = StartWith({});
  QComboBox& box = *window.GroupBox;
  const QPoint centre = box.rect().center();
  ClickAt(box, centre);
  EXPECT_TRUE(WaitFor([&] { return box.view()->isVisible(); }, 5000));
  box.hidePopup();
  ASSERT_TRUE(WaitFor([&] { return !box.view()->isVisible(); }, 5000));
  // So that the next press is not taken as the second of a double click with the last one.
  QTest::qWait(QApplication::doubleClickInterval() + 50);

  TModalScript script;
  bool listOpen = true;
  script.Then(As<TfrmGroup>([&](TfrmGroup& dialog) {
    listOpen = box.view()->isVisible();
    dialog.reject();
  }));
  ClickAt(box, centre);
  ClickAt(box, centre);
  EXPECT_TRUE(WaitFor([&] { return script.Done(); }, 5000)) << "Edit Group opened";
  EXPECT_FALSE(listOpen);
  QTest::qWait(QApplication::doubleClickInterval() + 100);
  EXPECT_FALSE(box.view()->isVisible());
}

}  // namespace
}  // namespace vantle

int main(int argc, char** argv) {
  return vantle::test::RunWindowTests(argc, argv);
}
