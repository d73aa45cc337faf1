#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FeedSource.h"

class QAction;
class QBrush;
class QComboBox;
class QFont;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QToolButton;

namespace vantle {

class TFeedListMarks;
class TFeedNewsView;
class TFeedStateDb;
class TWindowCheck;
class TGridControl;
class TPageControlEx;
class TSimpleRSS;
class TSubscriptions;
struct TFeed;
class TURLDropTarget;
class TWebBrowser;

// The reader window: the group list, the feed list of the current group, the page area
// with the embedded browser, and every command on groups and feeds. It keeps the current
// group in its feed list and writes it to the group files of its data directory.
class TfrmControl : public QWidget {
  Q_OBJECT

 public:
  // Creates the window over the data directory `dataDir` and runs FormCreate; an error
  // there is shown and the steps after it do not run.
  explicit TfrmControl(std::string dataDir, QWidget* parent = nullptr);
  ~TfrmControl() override;

  // The link of the feed shown (the last loaded successfully); empty when none is.
  const std::string& CurrentLink() const { return FCurrentLink; }
  // The feed shown moved for good to `link` while shown, and is read under it from now on.
  void FeedShownMoved(const std::string& link);
  // The title in the feed-list row last clicked.
  const std::string& CurrentTitle() const { return FCurrentTitle; }
  // The feed-list row painted as selected; -1 when none is.
  int SelectedRow() const { return FSelectedRow; }
  // The data directory, with its trailing separator.
  const std::string& DataDir() const { return FDataDir; }
  // The group whose feeds the list holds; empty when there is none.
  const std::string& CurrentGroup() const { return FCurrentGroup; }
  // The reader through which every feed is read; null once FormDestroy has freed it.
  TSimpleRSS* FeedReader() const { return FFeedReader.get(); }
  // What is kept of each feed between loads, in the data directory; null without one.
  IFeedState* FeedState() const;
  // The subscriptions of the data directory.
  TSubscriptions& Subscriptions() const { return *FStore; }
  // True while the list holds no faithful copy of any group (its file failed to load);
  // nothing is written from it until a feed is added.
  bool ListIsUnloaded() const { return FListUnloaded; }
  // The news and trouble marks of the feed list.
  TFeedListMarks& FeedMarks() const { return *FFeedMarks; }
  // Reads the feed state again for the marks of the feed list and the group list.
  void RefreshNews();
  // "Check all feeds" and the checks of its own.
  TWindowCheck& WindowCheck() const { return *FWindowCheck; }

  // InitPaths, a new FeedReader, InitContent, ResetView.
  void FormCreate();
  // Writes the current group when it holds a feed, then the settings; frees FeedReader.
  void FormDestroy();
  // Empties the window state and creates the data directory when missing.
  void InitPaths();
  // Rebuilds the lists from the data directory, loads the first group and the settings.
  void InitContent();
  // Shows the home page with no row selected, history off, focus on the group list.
  void ResetView();
  // Enables each command as the window state allows.
  void UpdateCommands();
  // Fills comboViewStyle with ViewStyleNames and selects the first.
  void FillViewStyles();
  // Reads the view style and the window size, and centres the window on the screen.
  void LoadSettings();
  // Writes the view style and the window size; raises "Unable to write to <path>".
  void SaveSettings();

  // Rebuilds GroupBox from the group files of the data directory.
  void FillGroupList();
  // Reads the file of the group selected in GroupBox into the list; a read error keeps the
  // rows read that hold a link, makes that group current and writes nothing from it until a
  // feed is added.
  void LoadGroup();
  // Writes the list to CurrentGroup's file, atomically; skipped while ListIsUnloaded. The
  // first write over a file that failed to load keeps it as "<group>.dat.damaged" first.
  void SaveGroup();
  // Writes the group being left, then adds `name`, selects it and writes it empty.
  void CreateGroup(const std::string& name);
  // Orders the rows by title, then link (locale collation, no case) and re-selects the
  // title at the cursor.
  void SortFeeds();

  // Gives the list its three-column layout and one empty row.
  void SetupFeedList();
  // Makes every row of the list 35 pixels high.
  void SetRowHeights();
  // The painted text of a cell: a title too wide for its column ends in "..".
  void FeedGridGetDisplText(int col, int row, QString& value);
  // The background of a cell: the selection colour on SelectedRow only.
  void FeedGridGetCellColor(int row, int col, QBrush& brush, QFont& font);
  // Centres every cell's text vertically.
  void FeedGridGetAlignment(int row, int col, Qt::Alignment& horizontal, Qt::Alignment& vertical);
  // Selects `row` and shows its feed unless it is the feed shown.
  void FeedGridClickCell(int row, int col);
  // The first steps of a click, without loading: `row` becomes SelectedRow, its title
  // CurrentTitle, and the highlight follows.
  void FeedGridSelectRow(int row);
  // Opens Edit Feed, whatever the state of btnEditFeed.
  void FeedGridDblClickCell(int row, int col);

  // Loads `link` for a request of `kind` (a click, or a refresh that always asks) and shows
  // its page, or the error page when the load fails. A feed that moved for good is shown
  // under its new link, which its row then holds.
  void ShowFeed(const std::string& link, TRequestKind kind = TRequestKind::Click);
  // How FeedReader loaded `link`; none when the load raised any error, whose message the
  // error page then shows on hovering.
  std::optional<TLoadOutcome> TryLoadFeed(const std::string& link, TRequestKind kind);
  // Renders what FeedReader holds in the chosen view style and shows the browser.
  void RenderFeed();
  // Renders the feed held again in the style just chosen.
  void comboViewStyleChange();
  // Goes back one page; with no earlier page, returns to the home page with no feed.
  void btnBackClick();
  // Goes forward one page; with no later page, disables Forward.
  void btnForwardClick();
  // Moves the progress bar.
  void WebBrowserProgressChange(int progress, int progressMax);
  // Shows the progress bar and the busy cursor.
  void WebBrowserDownloadBegin();
  // Hides the progress bar and shows the feed's link or the page's address in edLink.
  void WebBrowserDownloadComplete();
  // Sounds the beep for something of this program dropped on the browser.
  void WebBrowserDragDrop();

  // Writes the group being left when it has feeds and loads the group selected.
  void GroupBoxChange();
  // Runs a command that the event loop started (a slot, an event handler, a key) through the
  // command guard; a window that is closing runs none.
  void RunWindowCommand(const std::function<void()>& run);
  // Loads the group selected in GroupBox and makes it current, writing nothing: for when the
  // group files changed on disk.
  void ShowSelectedGroup();
  // New Group: asks a name, strips it and creates the group unless one has it already.
  void btnAddGroupClick();
  // Edit Group: renames the current group (new file first) or deletes it.
  void btnEditGroupClick();
  // Delete Group, after confirmation; the first remaining group becomes current.
  void btnDeletegroupClick();
  // Edit Group.
  void GroupBoxDblClick();

  // New Feed with an empty link.
  void btnNewFeedClick();
  // Runs the New Feed dialog with `link` and adds, shows and saves the feed accepted.
  void AddFeed(const std::string& link);
  // Edit Feed: renames, moves to another group or deletes the selected feed.
  void btnEditFeedClick();
  // Delete Feed, after confirmation.
  void btnDeleteClick();

  // A link was dropped: makes "My WebFeeds" when no group exists, then New Feed with it.
  void URLDropTargetDropURL();
  // Shows the information window.
  void btnInfoClick();

  // The controls, named as the form names them.
  QToolButton* btnAddGroup;
  QToolButton* btnNewFeed;
  QFrame* Bevel1;
  QToolButton* btnEditGroup;
  QToolButton* btnEditFeed;
  QFrame* Bevel2;
  QWidget* pnlInfo;
  QFrame* Bevel4;
  QToolButton* btnInfo;
  QFrame* Bevel3;
  QComboBox* GroupBox;
  QToolButton* btnBack;
  QToolButton* btnForward;
  QLabel* lblViewStyle;
  QComboBox* comboViewStyle;
  TGridControl* FeedGrid;
  QFrame* Panel1;
  TPageControlEx* BasePageControl;
  QWidget* HomeTab;
  QWidget* LoadingTab;
  QWidget* ErrorTab;
  QWidget* BrowserTab;
  TWebBrowser* WebBrowser;
  QWidget* pnlStatus;
  QLineEdit* edLink;
  QWidget* pnlProgress;
  QProgressBar* WebProgress;
  QMenu* GRoupPop;
  QAction* NewGroup1;
  QAction* EditGroup1;
  QAction* DeleteFroup1;
  QMenu* GRidPop;
  QAction* NewFeed1;
  QAction* EditFeed1;
  QAction* DeleteFeed1;
  TURLDropTarget* URLDropTarget;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectEvents();

  int AddGroupEntry(const QString& name);
  std::vector<std::string> GroupNames() const;
  void ForgetUnreadableGroup(std::vector<TFeed> kept);
  void RenameGroup(int index, const std::string& name);
  void DeleteCurrentGroup();
  void AddFeedRow(const std::string& link, const std::string& title);
  void RemoveFeedRow(int row);
  void ClearCurrentFeed();
  void FocusSelectedRow();
  void SetBrowserBusy(bool busy);

  std::string FCurrentLink;
  std::string FCurrentTitle;
  int FSelectedRow = -1;
  std::string FDataDir;
  std::string FCurrentGroup;
  std::unique_ptr<TSimpleRSS> FFeedReader;

  const std::string FCreatorDataDir;
  bool FListUnloaded = false;
  std::unique_ptr<TSubscriptions> FStore;
  // One connection to the feed state for the loads, the items seen and the checks' moves.
  std::unique_ptr<TFeedStateDb> FFeedState;
  std::unique_ptr<TFeedListMarks> FFeedMarks;
  std::unique_ptr<TFeedNewsView> FNews;
  TWindowCheck* FWindowCheck = nullptr;
  bool FSettingsRead = false;
  bool FCloseWhenLoaded = false;
  bool FDestroyed = false;
  bool FBrowserBusy = false;
};

}  // namespace vantle
