#include "UfrmControl.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QResizeEvent>
#include <QToolButton>

#include <algorithm>
#include <ctime>
#include <exception>
#include <utility>
#include <vector>

#include "BrowserDragFilter.h"
#include "CommandGuard.h"
#include "ControlForm.h"
#include "Exception.h"
#include "FeedListMarks.h"
#include "FeedListRows.h"
#include "FeedLoadRunner.h"
#include "FeedMoves.h"
#include "FeedNewsView.h"
#include "FirstFrame.h"
#include "GridControl.h"
#include "LoadCancelling.h"
#include "NameQuery.h"
#include "PageControlEx.h"
#include "SimpleRSS.h"
#include "SubscriptionTransfer.h"
#include "TitleShortener.h"
#include "UFeedViews.h"
#include "URLDropTarget.h"
#include "UVantleFormUtils.h"
#include "UVantleUtils.h"
#include "UfrmAddFeed.h"
#include "UfrmGroup.h"
#include "UfrmVantleInfo.h"
#include "VantleApplication.h"
#include "WebBrowser.h"
#include "WindowCheck.h"
#include "WindowKeys.h"
#include "store/FeedStateDb.h"
#include "store/GroupNames.h"
#include "store/Settings.h"
#include "store/Subscriptions.h"

namespace vantle {

namespace {

constexpr char NewGroupName[] = "My WebFeeds";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TfrmControl::TfrmControl(std::string dataDir, QWidget* parent)
    : QWidget(parent), FCreatorDataDir(std::move(dataDir)) {
  CreateControlForm(*this);
  FFeedMarks = std::make_unique<TFeedListMarks>(
      *FeedGrid, [this] { return FCurrentLink; }, [] { return TUnixTime{std::time(nullptr)}; });
  ConnectEvents();
  RunReported([this] { FormCreate(); });
  // The browser engine takes longer to start than everything else on the first screen, which
  // shows no page yet: it starts once the window is on screen, before the user can ask for a
  // feed.
  RunAfterFirstFrame(*this, [this] { RunReported([this] { WebBrowser->CreateView(); }); });
  new TSubscriptionTransfer(*this);
  if (FFeedState) FWindowCheck = new TWindowCheck(*this, *FFeedState);
  // The feed state is opened once the window is on screen, never before its first frame.
  RunAfterFirstFrame(*this, [this] {
    RunReported([this] {
      RefreshNews();
      if (FWindowCheck) FWindowCheck->StartSchedule();
    });
  });
}

TfrmControl::~TfrmControl() {
  // A page still loading must not leave the busy cursor behind.
  SetBrowserBusy(false);
}

void TfrmControl::ConnectEvents() {
  const auto command = [this](void (TfrmControl::*handler)()) {
    return [this, handler] { RunWindowCommand([this, handler] { (this->*handler)(); }); };
  };
  connect(btnAddGroup, &QToolButton::clicked, this, command(&TfrmControl::btnAddGroupClick));
  connect(btnNewFeed, &QToolButton::clicked, this, command(&TfrmControl::btnNewFeedClick));
  connect(btnEditGroup, &QToolButton::clicked, this, command(&TfrmControl::btnEditGroupClick));
  connect(btnEditFeed, &QToolButton::clicked, this, command(&TfrmControl::btnEditFeedClick));
  connect(btnInfo, &QToolButton::clicked, this, command(&TfrmControl::btnInfoClick));
  connect(btnBack, &QToolButton::clicked, this, command(&TfrmControl::btnBackClick));
  connect(btnForward, &QToolButton::clicked, this, command(&TfrmControl::btnForwardClick));
  connect(GroupBox, &QComboBox::activated, this, command(&TfrmControl::GroupBoxChange));
  connect(GroupBox, &QComboBox::customContextMenuRequested, this,
          [this](const QPoint& at) { GRoupPop->popup(GroupBox->mapToGlobal(at)); });
  connect(comboViewStyle, &QComboBox::activated, this, command(&TfrmControl::comboViewStyleChange));
  connect(NewGroup1, &QAction::triggered, this, command(&TfrmControl::btnAddGroupClick));
  connect(EditGroup1, &QAction::triggered, this, command(&TfrmControl::btnEditGroupClick));
  connect(DeleteFroup1, &QAction::triggered, this, command(&TfrmControl::btnDeletegroupClick));
  connect(NewFeed1, &QAction::triggered, this, command(&TfrmControl::btnNewFeedClick));
  connect(EditFeed1, &QAction::triggered, this, command(&TfrmControl::btnEditFeedClick));
  connect(DeleteFeed1, &QAction::triggered, this, command(&TfrmControl::btnDeleteClick));

  FeedGrid->OnGetDisplText = [this](int col, int row, QString& value) {
    FeedGridGetDisplText(col, row, value);
  };
  FeedGrid->OnGetCellColor = [this](int row, int col, QBrush& brush, QFont& font) {
    FeedGridGetCellColor(row, col, brush, font);
  };
  FeedGrid->OnGetAlignment = [this](int row, int col, Qt::Alignment& horizontal,
                                    Qt::Alignment& vertical) {
    FeedGridGetAlignment(row, col, horizontal, vertical);
  };
  FeedGrid->OnDrawCell = [this](int row, int col, QPainter& painter, const QRect& rect) {
    FFeedMarks->DrawCell(row, col, painter, rect);
  };
  FeedGrid->OnClickCell = [this](int row, int col) {
    RunWindowCommand([this, row, col] { FeedGridClickCell(row, col); });
  };
  FeedGrid->OnDblClickCell = [this](int row, int col) {
    RunWindowCommand([this, row, col] { FeedGridDblClickCell(row, col); });
  };

  // The browser's events only show its state; they need not wait for a feed load.
  WebBrowser->OnProgressChange = [this](int progress, int progressMax) {
    RunReported([&] { WebBrowserProgressChange(progress, progressMax); });
  };
  WebBrowser->OnDownloadBegin = [this] { RunReported([this] { WebBrowserDownloadBegin(); }); };
  WebBrowser->OnDownloadComplete = [this] {
    RunReported([this] { WebBrowserDownloadComplete(); });
  };

  // The dialog opens once the drop has finished, so the dragging program is not kept
  // waiting for the end of the drag while the dialog is open.
  URLDropTarget->OnDropURL = [this, command] {
    QMetaObject::invokeMethod(this, command(&TfrmControl::URLDropTargetDropURL),
                              Qt::QueuedConnection);
  };

  new TBrowserDragFilter(*WebBrowser, *URLDropTarget, [this] { WebBrowserDragDrop(); });
  SetUpWindowKeys(*this);
}

void TfrmControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutControlForm(*this);
}

void TfrmControl::RunWindowCommand(const std::function<void()>& run) {
  // A window that is closing runs no more commands, also none that waited for a load.
  RunCommand(this, [this, run] {
    if (!FDestroyed && !FCloseWhenLoaded) {
      run();
    }
  });
}

void TfrmControl::closeEvent(QCloseEvent* event) {
  if (FeedLoadRunning()) {
    // The load is aborted, and the window closes as soon as it has ended.
    if (!FCloseWhenLoaded) {
      FCloseWhenLoaded = true;
      AbortFeedLoad();
      WhenNoFeedLoads(this, [this] { close(); });
    }
    event->ignore();
    return;
  }
  FCloseWhenLoaded = false;
  if (!FDestroyed) {
    FDestroyed = true;
    RunReported([this] { FormDestroy(); });
  }
  event->accept();
}

void TfrmControl::FormCreate() {
  InitPaths();
  FFeedReader = std::make_unique<TSimpleRSS>();
  InitContent();
  ResetView();
}

void TfrmControl::FormDestroy() {
  if (HoldsFeed(*FeedGrid)) {
    SaveGroup();
  }
  // Settings that were never read would be defaults written over the user's own.
  if (FSettingsRead) {
    SaveSettings();
  }
  FFeedReader.reset();
}

void TfrmControl::InitPaths() {
  FCurrentLink.clear();
  FCurrentTitle.clear();
  FSelectedRow = -1;
  FCurrentGroup.clear();
  FDataDir = WithTrailingBackslash(FCreatorDataDir);
  FStore = std::make_unique<TSubscriptions>(FDataDir);
  FStore->MakeDataDir();
  FFeedState = std::make_unique<TFeedStateDb>(FDataDir);
  FNews = std::make_unique<TFeedNewsView>(*FFeedState, *FFeedMarks, *GroupBox);
}

void TfrmControl::FeedShownMoved(const std::string& link) {
  // The link box names the feed shown by its new link, as after a load that followed the move.
  if (edLink->text() == Q(FCurrentLink)) edLink->setText(Q(link));
  FCurrentLink = link;
}

IFeedState* TfrmControl::FeedState() const {
  return FFeedState.get();
}

void TfrmControl::RefreshNews() {
  if (FNews) FNews->Refresh(*FStore, FCurrentGroup, FeedsOf(*FeedGrid));
}

void TfrmControl::InitContent() {
  SetupFeedList();
  FillGroupList();
  if (GroupBox->isEnabled()) {
    GroupBox->setCurrentIndex(0);
    FCurrentGroup = GroupBox->currentText().toStdString();
  }
  // A first group that cannot be read is reported once the view styles and the settings
  // are in place, so that pages still render and shutdown writes the settings it read.
  std::exception_ptr groupError;
  try {
    LoadGroup();
    SortFeeds();
    SetRowHeights();
  } catch (...) {
    groupError = std::current_exception();
  }
  FillViewStyles();
  LoadSettings();
  HideTabs(*BasePageControl);
  if (groupError) {
    std::rethrow_exception(groupError);
  }
}

void TfrmControl::ResetView() {
  BasePageControl->SetActivePage(HomeTab);
  FSelectedRow = -1;
  FeedGrid->setEnabled(!FeedGrid->Cells(0, 0).empty());
  FeedGrid->FocusCell(0, 0);
  FeedGrid->RepaintAll();
  btnBack->setEnabled(false);
  btnForward->setEnabled(false);
  UpdateCommands();
  if (GroupBox->isEnabled()) {
    GroupBox->setFocus();
  } else {
    btnAddGroup->setFocus();
  }
}

void TfrmControl::UpdateCommands() {
  const bool hasGroup = GroupBox->isEnabled();
  btnEditGroup->setEnabled(hasGroup);
  EditGroup1->setEnabled(hasGroup);
  DeleteFroup1->setEnabled(hasGroup);
  btnNewFeed->setEnabled(hasGroup);
  NewFeed1->setEnabled(hasGroup);
  const bool feedShown = !FCurrentLink.empty();
  btnEditFeed->setEnabled(feedShown);
  lblViewStyle->setEnabled(feedShown);
  comboViewStyle->setEnabled(feedShown);
  EditFeed1->setEnabled(feedShown);
  DeleteFeed1->setEnabled(feedShown);
}

void TfrmControl::FillViewStyles() {
  comboViewStyle->clear();
  for (std::string_view name : ViewStyleNames) {
    comboViewStyle->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  comboViewStyle->setCurrentIndex(0);
}

void TfrmControl::LoadSettings() {
  const TWindowSettings settings = ReadSettings(SettingsPath(FDataDir), {0, width(), height()});
  const int style = settings.ViewStyle;
  if (style > comboViewStyle->count() - 1) {
    comboViewStyle->setCurrentIndex(0);
  } else {
    comboViewStyle->setCurrentIndex(std::max(style, -1));
  }
  resize(std::max(settings.Width, ControlMinWidth), std::max(settings.Height, ControlMinHeight));
  CenterOnScreen(*this);
  FSettingsRead = true;
}

void TfrmControl::SaveSettings() {
  WriteSettings(SettingsPath(FDataDir), {comboViewStyle->currentIndex(), width(), height()});
}

int TfrmControl::AddGroupEntry(const QString& name) {
  const auto index = static_cast<int>(GroupEntryPosition(GroupNames(), name.toStdString()));
  GroupBox->insertItem(index, name);
  return index;
}

std::vector<std::string> TfrmControl::GroupNames() const {
  std::vector<std::string> names;
  for (int i = 0; i < GroupBox->count(); ++i) {
    names.push_back(GroupBox->itemText(i).toStdString());
  }
  return names;
}

void TfrmControl::FillGroupList() {
  GroupBox->clear();
  const std::vector<std::string> groups = FStore->Groups();
  if (groups.empty()) {
    GroupBox->setEnabled(false);
    return;
  }
  for (const std::string& group : groups) {
    GroupBox->addItem(Q(group));
  }
}

void TfrmControl::LoadGroup() {
  const std::string group = GroupBox->currentText().toStdString();
  // A group whose file is gone reads as empty, so the list never shows another group's
  // feeds under its name.
  SetupFeedList();
  FListUnloaded = false;
  FStore->ForgetDamage();
  if (!FStore->HasGroupFile(group)) {
    return;
  }
  std::string bytes;
  try {
    bytes = FStore->ReadGroupBytes(group);
    FeedGrid->LoadFromBytes(bytes);
  } catch (...) {
    ForgetUnreadableGroup(DecodeGroupRows(bytes).Feeds);
    throw;
  }
}

void TfrmControl::ForgetUnreadableGroup(std::vector<TFeed> kept) {
  // The list is no faithful copy of the group: nothing is written from it until a feed is
  // added, and then only under this group's name, after the damaged file was kept.
  SetupFeedList();
  FeedGrid->SetRowCount(std::max<int>(1, static_cast<int>(kept.size())));
  PutFeeds(*FeedGrid, std::move(kept));
  SetRowHeights();
  FCurrentGroup = GroupBox->currentText().toStdString();
  FStore->MarkDamaged(FCurrentGroup);
  FCurrentLink.clear();
  FCurrentTitle.clear();
  FListUnloaded = true;
  ResetView();
}

void TfrmControl::SaveGroup() {
  if (FListUnloaded) {
    return;
  }
  FStore->WriteGroupBytes(FCurrentGroup, FeedGrid->SaveToBytes());
}

void TfrmControl::CreateGroup(const std::string& name) {
  if (!FCurrentGroup.empty()) {
    SaveGroup();
  }
  GroupBox->setCurrentIndex(AddGroupEntry(Q(name)));
  SetupFeedList();
  ResetView();
  GroupBox->setEnabled(true);
  FCurrentGroup = GroupBox->currentText().toStdString();
  FListUnloaded = false;
  SaveGroup();
}

void TfrmControl::SortFeeds() {
  const std::string noted = FeedGrid->Cells(2, FeedGrid->Row());
  std::vector<TFeed> rows = FeedsOf(*FeedGrid);
  SortFeedList(rows);
  PutFeeds(*FeedGrid, std::move(rows));
  for (int row = 0; row < FeedGrid->RowCount(); ++row) {
    if (FeedGrid->Cells(2, row) == noted) {
      FSelectedRow = row;
      FeedGrid->FocusCell(2, row);
      break;
    }
  }
}

void TfrmControl::SetupFeedList() {
  SetUpFeedList(*FeedGrid);
}

void TfrmControl::SetRowHeights() {
  SetFeedRowHeights(*FeedGrid);
}

void TfrmControl::FeedGridGetDisplText(int col, int row, QString& value) {
  if (col != 2) {
    return;
  }
  value = ShortenedTitle(Q(FeedGrid->Cells(2, row)), FeedGrid->ColWidths(2),
                         [this](const QString& text) { return FeedGrid->TextWidth(text); });
}

void TfrmControl::FeedGridGetCellColor(int row, int, QBrush& brush, QFont&) {
  if (row == FSelectedRow) {
    brush = QBrush(SelectedRowColour);
  }
}

void TfrmControl::FeedGridGetAlignment(int, int, Qt::Alignment&, Qt::Alignment& vertical) {
  vertical = Qt::AlignVCenter;
}

void TfrmControl::FeedGridClickCell(int row, int) {
  const int rowBefore = FSelectedRow;
  const std::string titleBefore = FCurrentTitle;
  QWidget* pageBefore = BasePageControl->ActivePage();
  FeedGridSelectRow(row);
  const std::string link = FeedGrid->Cells(0, row);
  // The error page shows another feed than the current one: a click on it reads it again.
  if (link != FCurrentLink || pageBefore == ErrorTab) {
    try {
      ShowFeed(link);
    } catch (const ELoadCancelled&) {
      // A cancelled load leaves the window as it was before the click.
      BasePageControl->SetActivePage(pageBefore);
      FSelectedRow = rowBefore;
      FCurrentTitle = titleBefore;
      FeedGrid->RepaintAll();
    }
    // The load disabled the list; a keyboard user goes on from it to the next feed.
    FeedGrid->setFocus();
  }
  UpdateCommands();
}

void TfrmControl::FeedGridSelectRow(int row) {
  FSelectedRow = row;
  FCurrentTitle = FeedGrid->Cells(2, row);
  FeedGrid->RepaintCol(1);
  FeedGrid->RepaintCol(2);
}

void TfrmControl::FeedGridDblClickCell(int, int) {
  btnEditFeedClick();
}

void TfrmControl::ShowFeed(const std::string& link, TRequestKind kind) {
  // The load runs an event loop of its own, which paints the loading page first.
  BasePageControl->SetActivePage(LoadingTab);
  FeedGrid->setEnabled(false);
  // However the load ends, the list takes clicks again and the cursor is back.
  struct TLoadEnd {
    TfrmControl& Window;
    ~TLoadEnd() { Window.FeedGrid->setEnabled(true); }
  } loadEnd{*this};
  const TBusyCursor busy;
  if (const std::optional<TLoadOutcome> outcome = TryLoadFeed(link, kind)) {
    WebBrowser->StartNewPage();
    RenderFeed();
    FCurrentLink = FollowFeedMove(*this, link, outcome->MovedTo);
    FNews->FeedShown(FCurrentLink, *FFeedReader, std::time(nullptr));
    RefreshNews();
    FSelectedRow = FeedGrid->Row();
    btnBack->setEnabled(true);
    // The link box names the new feed at once, not only once its pictures have arrived.
    edLink->setText(Q(FCurrentLink));
  } else {
    BasePageControl->SetActivePage(ErrorTab);
  }
}

std::optional<TLoadOutcome> TfrmControl::TryLoadFeed(const std::string& link, TRequestKind kind) {
  try {
    return LoadFeedAside(*FFeedReader, link, TFeedSource(FFeedState.get()), kind);
  } catch (const ELoadCancelled&) {
    throw;
  } catch (const std::exception& error) {
    // The error page shows no reason; its text and picture tell it on hovering.
    for (QLabel* label : ErrorTab->findChildren<QLabel*>())
      label->setToolTip(QString::fromStdString(error.what()));
    return std::nullopt;
  }
}

void TfrmControl::RenderFeed() {
  // No style chosen is -1, which reaches the views as 255: an empty page.
  ShowFeedView(*FFeedReader, *WebBrowser, static_cast<uint8_t>(comboViewStyle->currentIndex()));
  BasePageControl->SetActivePage(BrowserTab);
}

void TfrmControl::comboViewStyleChange() {
  // A large page takes a while to build and to load: the busy cursor shows from now until
  // the browser has loaded the new page's document.
  SetBrowserBusy(true);
  try {
    RenderFeed();
  } catch (...) {
    SetBrowserBusy(false);
    throw;
  }
}

void TfrmControl::btnBackClick() {
  try {
    WebBrowser->GoBack();
    btnForward->setEnabled(true);
  } catch (const EBrowserError&) {
    FCurrentLink.clear();
    ResetView();
  }
}

void TfrmControl::btnForwardClick() {
  try {
    WebBrowser->GoForward();
  } catch (const EBrowserError&) {
    btnForward->setEnabled(false);
  }
}

void TfrmControl::WebBrowserProgressChange(int progress, int progressMax) {
  // The event loop is running here already, so the bar repaints without further help.
  WebProgress->setMaximum(progressMax);
  WebProgress->setValue(progress);
}

void TfrmControl::SetBrowserBusy(bool busy) {
  // One busy cursor per page load, however the browser pairs its events.
  if (busy && !FBrowserBusy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (!busy && FBrowserBusy) {
    QApplication::restoreOverrideCursor();
  }
  FBrowserBusy = busy;
}

void TfrmControl::WebBrowserDownloadBegin() {
  pnlProgress->show();
  SetBrowserBusy(true);
}

void TfrmControl::WebBrowserDownloadComplete() {
  SetBrowserBusy(false);
  const QString name = WebBrowser->LocationName();
  if (name.isEmpty()) {
    return;
  }
  pnlProgress->hide();
  if (name == QLatin1String(PageFileName.data(), static_cast<qsizetype>(PageFileName.size()))) {
    edLink->setText(Q(FCurrentLink));
  } else {
    edLink->setText(WebBrowser->LocationURL());
  }
}

void TfrmControl::WebBrowserDragDrop() {
  QApplication::beep();
}

void TfrmControl::GroupBoxChange() {
  // Only another entry is a switch; the current one picked again changes nothing.
  if (!FCurrentGroup.empty() && GroupBox->currentText().toStdString() == FCurrentGroup) {
    return;
  }
  if (HoldsFeed(*FeedGrid)) {
    try {
      SaveGroup();
    } catch (...) {
      // The list still holds the group being left: the box shows it, and Rename and
      // Delete act on it.
      GroupBox->setCurrentIndex(GroupBox->findText(Q(FCurrentGroup)));
      throw;
    }
  }
  ShowSelectedGroup();
}

void TfrmControl::ShowSelectedGroup() {
  LoadGroup();
  ResetView();
  FCurrentGroup = GroupBox->currentText().toStdString();
  ClearCurrentFeed();
  RefreshNews();
  UpdateCommands();
}

void TfrmControl::ClearCurrentFeed() {
  FSelectedRow = -1;
  FCurrentLink.clear();
  FCurrentTitle.clear();
  FeedGrid->RepaintAll();
}

void TfrmControl::btnAddGroupClick() {
  QString typed;
  if (AskName(this, tr("New Feed Group"), tr("Enter new name for group"), typed)) {
    const std::string name = StrippedGroupName(typed.toStdString());
    const TStoreOutcome outcome = FStore->CheckNewName(name);
    if (outcome == TStoreOutcome::TakenName) {
      ShowInformation(this, tr("same name"));
    }
    if (outcome != TStoreOutcome::Done) {
      return;
    }
    CreateGroup(name);
  }
  ClearCurrentFeed();
  UpdateCommands();
}

void TfrmControl::btnEditGroupClick() {
  const int index = GroupBox->currentIndex();
  TfrmGroup dialog(this);
  dialog.edTitle->setText(Q(FCurrentGroup));
  dialog.GroupIndex = index;
  dialog.GroupList = GroupBox;
  LockFormSize(dialog);
  const int result = dialog.exec();
  if (result == QDialog::Accepted) {
    const std::string name = dialog.edTitle->text().trimmed().toStdString();
    if (name != FCurrentGroup) {
      RenameGroup(index, name);
    }
  } else if (result == mrDelete) {
    DeleteCurrentGroup();
  }
  UpdateCommands();
}

void TfrmControl::RenameGroup(int index, const std::string& name) {
  // A list that failed to load is no copy of the group: its file moves instead.
  const std::string list = FeedGrid->SaveToBytes();
  FStore->RenameGroupFile(GroupBox->itemText(index).toStdString(), name,
                          FListUnloaded ? nullptr : &list);
  GroupBox->setItemText(index, Q(name));
  FCurrentGroup = name;
  GroupBox->setCurrentIndex(index);
}

void TfrmControl::btnDeletegroupClick() {
  if (!GroupBox->isEnabled()) {
    return;
  }
  if (!ConfirmYes(this, tr("Are you sure you want to delete this group and all its feeds?"))) {
    return;
  }
  DeleteCurrentGroup();
}

void TfrmControl::DeleteCurrentGroup() {
  // A file that cannot be deleted is not reported; the group comes back at the next start.
  FStore->DeleteGroup(GroupBox->currentText().toStdString());
  GroupBox->removeItem(GroupBox->currentIndex());
  if (GroupBox->count() > 0) {
    GroupBox->setCurrentIndex(0);
    FCurrentGroup = GroupBox->currentText().toStdString();
    LoadGroup();
    SetRowHeights();
    ResetView();
    ClearCurrentFeed();
    UpdateCommands();
  } else {
    FCurrentGroup.clear();
    FCurrentLink.clear();
    FCurrentTitle.clear();
    InitContent();
    ResetView();
  }
}

void TfrmControl::GroupBoxDblClick() {
  btnEditGroupClick();
}

void TfrmControl::btnNewFeedClick() {
  AddFeed(std::string());
  UpdateCommands();
}

void TfrmControl::AddFeed(const std::string& link) {
  TfrmAddFeed dialog(this);
  dialog.UseFeedState(FFeedState.get());
  CenterOnWindow(*this, dialog);
  dialog.edLink->setText(Q(link));
  CopyChoices(*GroupBox, *dialog.comboGroups);
  if (dialog.exec() == QDialog::Accepted) {
    // The feed goes into the group picked in the dialog, which is then shown.
    if (dialog.comboGroups->currentText() != Q(FCurrentGroup)) {
      FStore->CheckReadable(dialog.comboGroups->currentText().toStdString());
      GroupBox->setCurrentIndex(dialog.comboGroups->currentIndex());
      GroupBoxChange();
    }
    AddFeedRow(dialog.FeedLink().toStdString(), dialog.FeedTitle().toStdString());
  }
}

void TfrmControl::AddFeedRow(const std::string& link, const std::string& title) {
  int row = 0;
  if (HoldsFeed(*FeedGrid)) {
    FeedGrid->AddRow();
    row = FeedGrid->RowCount() - 1;
  }
  FeedGrid->SetCells(0, row, link);
  FeedGrid->SetCells(2, row, title);
  FeedGrid->FocusCell(2, row);
  SetRowHeights();
  SortFeeds();
  FeedGrid->RepaintAll();
  FeedGrid->setEnabled(true);
  // The list now holds what the user chose to keep, and may be written again. It is saved
  // before the feed is shown, so a page that cannot be rendered loses no feed.
  FListUnloaded = false;
  SaveGroup();
  const int shown = FeedRow(*FeedGrid, link, title);
  FeedGrid->FocusCell(2, shown);
  FeedGridClickCell(shown, 2);
  // As after a sort, the first row with the new feed's title is the one selected.
  SortFeeds();
  FeedGrid->RepaintAll();
}

void TfrmControl::FocusSelectedRow() {
  // The highlighted row is the feed the user sees and the dialog shows; the cursor may
  // stand elsewhere.
  if (FSelectedRow >= 0 && FSelectedRow < FeedGrid->RowCount()) {
    FeedGrid->FocusCell(2, FSelectedRow);
  }
}

void TfrmControl::RemoveFeedRow(int row) {
  if (FeedGrid->RowCount() == 1) {
    FeedGrid->ClearAll();
    FeedGrid->setEnabled(false);
  } else {
    FeedGrid->RemoveRow(row);
  }
}

void TfrmControl::btnEditFeedClick() {
  if (FSelectedRow < 0 || FSelectedRow >= FeedGrid->RowCount()) {
    return;
  }
  FocusSelectedRow();
  TfrmAddFeed dialog(this);
  CenterOnWindow(*this, dialog);
  CopyChoices(*GroupBox, *dialog.comboGroups);
  const std::string editedLink = FeedGrid->Cells(0, FSelectedRow);
  dialog.SetEditMode(Q(editedLink), Q(FCurrentTitle));
  const int result = dialog.exec();
  if (result == QDialog::Accepted) {
    const std::string title = dialog.FeedTitle().toStdString();
    if (title != FCurrentTitle) {
      FCurrentTitle = title;
      FeedGrid->SetCells(2, FSelectedRow, title);
      SortFeeds();
      FeedGrid->RepaintAll();
      SaveGroup();
    }
    const QString target = dialog.comboGroups->currentText();
    if (target != Q(FCurrentGroup)) {
      // The feed edited, found by its link and title: after a sort the cursor may be on
      // another feed that has the same title.
      const int row = FeedRow(*FeedGrid, editedLink, FCurrentTitle);
      const std::string link = editedLink;
      const std::string keptTitle = FCurrentTitle;
      // A target that cannot be read would lose the feed on the way: stop before moving.
      FStore->CheckReadable(target.toStdString());
      RemoveFeedRow(row);
      SaveGroup();
      GroupBox->setCurrentIndex(dialog.comboGroups->currentIndex());
      GroupBoxChange();
      AddFeedRow(link, keptTitle);
    }
  } else if (result == mrDelete) {
    RemoveFeedRow(FeedGrid->Row());
    FeedGrid->FocusCell(0, 0);
    ClearCurrentFeed();
    BasePageControl->SetActivePage(HomeTab);
    SaveGroup();
  }
  UpdateCommands();
}

void TfrmControl::btnDeleteClick() {
  if (!HoldsFeed(*FeedGrid)) {
    return;
  }
  FocusSelectedRow();
  if (ConfirmYes(this, tr("Are you sure you want to delete this feed?"))) {
    RemoveFeedRow(FeedGrid->Row());
    FeedGrid->FocusCell(0, 0);
    ClearCurrentFeed();
    BasePageControl->SetActivePage(HomeTab);
    SaveGroup();
  }
  UpdateCommands();
}

void TfrmControl::URLDropTargetDropURL() {
  activateWindow();
  raise();
  if (!GroupBox->isEnabled()) {
    CreateGroup(NewGroupName);
    UpdateCommands();
  }
  AddFeed(URLDropTarget->DroppedURL().toStdString());
}

void TfrmControl::btnInfoClick() {
  TfrmVantleInfo info(this);
  LockFormSize(info);
  CenterOnWindow(*this, info);
  info.exec();
}

}  // namespace vantle
