#include "UfrmControl.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "CommandGuard.h"
#include "Exception.h"
#include "FeedLoadRunner.h"
#include "FirstFrame.h"
#include "GridControl.h"
#include "IniFile.h"
#include "LoadCancelling.h"
#include "LoadingPage.h"
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
#include "WindowKeys.h"
#include "store/GroupFiles.h"
#include "store/GroupStore.h"

// The pictures are compiled into the shell's static library, whose resource object the
// linker would otherwise drop.
static void InitShellResources() {
  Q_INIT_RESOURCE(vantle);
}

namespace vantle {

namespace {

constexpr int FirstWidth = 768;
constexpr int FirstHeight = 586;
constexpr int MinWidth = 572;
constexpr int MinHeight = 553;

constexpr int ToolButtonWidth = 99;
constexpr int ToolButtonHeight = 47;
constexpr int InfoButtonWidth = 62;
constexpr int InfoPanelWidth = 66;
constexpr int HistoryButtonWidth = 48;
constexpr int HistoryButtonHeight = 32;
constexpr int SecondRowTop = 53;
constexpr int GroupBoxHeight = 31;
constexpr int ListLeft = 4;
constexpr int ListWidth = 197;
constexpr int ListTop = SecondRowTop + GroupBoxHeight + 4;
constexpr int PageLeft = ListLeft + ListWidth + 4;
constexpr int Margin = 4;

constexpr int GroupItemHeight = 25;
constexpr int GroupFontPixels = 21;
constexpr int LinkColumnWidth = 0;
constexpr int MarginColumnWidth = 10;
constexpr int FeedRowHeight = 35;
constexpr int StatusBarHeight = 22;
constexpr int ProgressPanelWidth = 135;

const QColor SelectedRowColour(223, 224, 214);
const QColor StatusBarColour(239, 240, 236);

constexpr char SettingsSection[] = "SETTINGS";
constexpr char NewGroupName[] = "My WebFeeds";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QFont PixelFont(const QString& family, int pixels, bool bold = false) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QIcon Picture(const char* name) {
  return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

// The collation groups and feeds are ordered by: the user's locale, ignoring case.
const TNameCollation& NameCollator() {
  return TNameCollation::User();
}

// Group entries are drawn 25 pixels high in "Tahoma" at 21 pixels.
class TGroupItemDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), GroupItemHeight};
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font = PixelFont(QStringLiteral("Tahoma"), GroupFontPixels);
    option->fontMetrics = QFontMetrics(option->font);
  }
};

// The busy cursor for the life of the guard, whatever ends the command.
class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

// True when the list holds a feed. The list is disabled while a feed loads, so only its
// content tells; an empty group is one row with empty cells.
bool HoldsFeed(const TGridControl& grid) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    if (!grid.Cells(0, row).empty() || !grid.Cells(2, row).empty()) {
      return true;
    }
  }
  return false;
}

// The first row holding the feed `link` titled `title`; -1 when there is none.
int FeedRow(const TGridControl& grid, const std::string& link, const std::string& title) {
  for (int row = 0; row < grid.RowCount(); ++row) {
    if (grid.Cells(0, row) == link && grid.Cells(2, row) == title) {
      return row;
    }
  }
  return -1;
}

QToolButton* FlatButton(QWidget* parent, const char* picture, const QString& caption,
                        const QString& tip, QSize size) {
  auto* button = new QToolButton(parent);
  button->setAutoRaise(true);
  button->setIcon(Picture(picture));
  button->setIconSize(QSize(32, 32));
  button->setText(caption);
  button->setToolTip(tip);
  button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                               : Qt::ToolButtonTextBesideIcon);
  button->resize(size);
  return button;
}

QFrame* Separator(QWidget* parent, QFrame::Shape shape) {
  auto* bevel = new QFrame(parent);
  bevel->setFrameShape(shape);
  bevel->setFrameShadow(QFrame::Sunken);
  return bevel;
}

// A page showing a picture above one or two lines of centred text.
QWidget* PictureTab(QWidget* parent, const char* picture, int pictureSize,
                    const std::vector<std::pair<QString, int>>& lines) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  layout->addStretch();
  auto* image = new QLabel(page);
  image->setPixmap(Picture(picture).pixmap(pictureSize, pictureSize));
  image->setAlignment(Qt::AlignCenter);
  layout->addWidget(image);
  for (const auto& [text, pixels] : lines) {
    auto* label = new QLabel(text, page);
    label->setFont(PixelFont(QStringLiteral("Tahoma"), pixels));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
  }
  layout->addStretch();
  return page;
}

}  // namespace

TfrmControl::TfrmControl(std::string dataDir, QWidget* parent)
    : QWidget(parent), FCreatorDataDir(std::move(dataDir)) {
  InitShellResources();
  CreateControls();
  ConnectEvents();
  RunReported([this] { FormCreate(); });
  // The browser engine takes longer to start than everything else on the first screen, which
  // shows no page yet: it starts once the window is on screen, before the user can ask for a
  // feed.
  RunAfterFirstFrame(*this, [this] { RunReported([this] { WebBrowser->CreateView(); }); });
  new TSubscriptionTransfer(*this);
}

TfrmControl::~TfrmControl() {
  // A page still loading must not leave the busy cursor behind.
  SetBrowserBusy(false);
}

void TfrmControl::CreateControls() {
  setWindowTitle(QStringLiteral("Vantle - Simple Web Feed Reader"));
  setWindowIcon(Picture("vantle"));
  setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
  setMinimumSize(MinWidth, MinHeight);
  resize(FirstWidth, FirstHeight);
  CreateToolRow();
  CreateSecondRow();
  CreateFeedList();
  CreatePages();
  CreateMenus();
  URLDropTarget = new TURLDropTarget(this);
  LayOutControls();
}

void TfrmControl::CreateToolRow() {
  const QSize toolSize(ToolButtonWidth, ToolButtonHeight);
  btnAddGroup = FlatButton(this, "add-group", tr("Group"), tr("New Group"), toolSize);
  btnNewFeed = FlatButton(this, "add-feed", tr("Feed"), tr("New Feed"), toolSize);
  Bevel1 = Separator(this, QFrame::VLine);
  btnEditGroup = FlatButton(this, "edit-group", tr("Group"), tr("Edit Group"), toolSize);
  btnEditFeed = FlatButton(this, "edit-feed", tr("Feed"), tr("Edit Feed"), toolSize);
  Bevel2 = Separator(this, QFrame::VLine);
  pnlInfo = new QWidget(this);
  Bevel4 = Separator(pnlInfo, QFrame::VLine);
  btnInfo =
      FlatButton(pnlInfo, "info", QString(), QString(), QSize(InfoButtonWidth, ToolButtonHeight));
  Bevel3 = Separator(this, QFrame::HLine);
}

void TfrmControl::CreateSecondRow() {
  GroupBox = new QComboBox(this);
  GroupBox->setEditable(false);
  GroupBox->setFont(PixelFont(QStringLiteral("Tahoma"), GroupFontPixels));
  GroupBox->setItemDelegate(new TGroupItemDelegate(GroupBox));
  GroupBox->setContextMenuPolicy(Qt::CustomContextMenu);
  btnBack = FlatButton(this, "back", QString(), tr("Back"),
                       QSize(HistoryButtonWidth, HistoryButtonHeight));
  btnForward = FlatButton(this, "forward", QString(), tr("Forward"),
                          QSize(HistoryButtonWidth, HistoryButtonHeight));
  lblViewStyle = new QLabel(tr("View Style:"), this);
  QFont bold = font();
  bold.setBold(true);
  lblViewStyle->setFont(bold);
  comboViewStyle = new QComboBox(this);
  comboViewStyle->setEditable(false);
}

void TfrmControl::CreateFeedList() {
  FeedGrid = new TGridControl(this);
  FeedGrid->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
}

void TfrmControl::CreatePages() {
  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Sunken);
  auto* layout = new QVBoxLayout(Panel1);
  layout->setContentsMargins(1, 1, 1, 1);
  BasePageControl = new TPageControlEx(Panel1);
  layout->addWidget(BasePageControl);
  HomeTab = PictureTab(BasePageControl, "home", 300,
                       {{QStringLiteral("Vantle"), 53}, {tr("Simple Web Feed Reader"), 21}});
  LoadingTab = LoadingPage(BasePageControl);
  ErrorTab = PictureTab(BasePageControl, "error", 120, {{tr("error retrieving feed"), 32}});
  BrowserTab = CreateBrowserTab();
  BasePageControl->addTab(HomeTab, QStringLiteral("HomeTab"));
  BasePageControl->addTab(LoadingTab, QStringLiteral("LoadingTab"));
  BasePageControl->addTab(ErrorTab, QStringLiteral("ErrorTab"));
  BasePageControl->addTab(BrowserTab, QStringLiteral("BrowserTab"));
  // Start-up hides the tabs again; doing it now keeps the strip away should start-up fail.
  HideTabs(*BasePageControl);
}

QWidget* TfrmControl::CreateBrowserTab() {
  auto* page = new QWidget(BasePageControl);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  WebBrowser = new TWebBrowser(page);
  layout->addWidget(WebBrowser, 1);

  pnlStatus = new QWidget(page);
  pnlStatus->setFixedHeight(StatusBarHeight);
  pnlStatus->setAutoFillBackground(true);
  QPalette barPalette = pnlStatus->palette();
  barPalette.setColor(QPalette::Window, StatusBarColour);
  barPalette.setColor(QPalette::Base, StatusBarColour);
  pnlStatus->setPalette(barPalette);
  auto* bar = new QHBoxLayout(pnlStatus);
  bar->setContentsMargins(2, 0, 0, 0);
  bar->setSpacing(0);
  edLink = new QLineEdit(pnlStatus);
  edLink->setReadOnly(true);
  edLink->setFrame(false);
  edLink->setPalette(barPalette);
  bar->addWidget(edLink, 1);
  pnlProgress = new QWidget(pnlStatus);
  pnlProgress->setFixedWidth(ProgressPanelWidth);
  auto* progressLayout = new QHBoxLayout(pnlProgress);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  WebProgress = new QProgressBar(pnlProgress);
  WebProgress->setFixedSize(121, 14);
  WebProgress->setTextVisible(false);
  progressLayout->addWidget(WebProgress, 0, Qt::AlignCenter);
  bar->addWidget(pnlProgress);
  pnlProgress->hide();
  layout->addWidget(pnlStatus);
  return page;
}

void TfrmControl::CreateMenus() {
  GRoupPop = new QMenu(this);
  NewGroup1 = GRoupPop->addAction(tr("New Group..."));
  EditGroup1 = GRoupPop->addAction(tr("Edit Group..."));
  DeleteFroup1 = GRoupPop->addAction(tr("Delete Group"));
  GRidPop = new QMenu(this);
  NewFeed1 = GRidPop->addAction(tr("New Feed..."));
  EditFeed1 = GRidPop->addAction(tr("Edit Feed..."));
  DeleteFeed1 = GRidPop->addAction(tr("Delete Feed"));
  FeedGrid->SetPopupMenu(GRidPop);
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

  for (QWidget* button : {static_cast<QWidget*>(btnAddGroup), static_cast<QWidget*>(btnNewFeed),
                          static_cast<QWidget*>(btnEditGroup), static_cast<QWidget*>(btnEditFeed),
                          static_cast<QWidget*>(btnBack), static_cast<QWidget*>(btnForward)}) {
    button->installEventFilter(this);
  }
  connect(WebBrowser, &TWebBrowser::viewCreated, this,
          [this](QWidget* view) { view->installEventFilter(this); });
  SetUpWindowKeys(*this);
}

void TfrmControl::LayOutControls() {
  const int w = width();
  const int h = height();
  btnAddGroup->move(0, 0);
  // Neighbouring buttons overlap by one pixel, so their borders meet.
  btnNewFeed->move(ToolButtonWidth - 1, 0);
  Bevel1->setGeometry(2 * ToolButtonWidth + 2, 4, 2, ToolButtonHeight - 8);
  btnEditGroup->move(2 * ToolButtonWidth + 7, 0);
  btnEditFeed->move(3 * ToolButtonWidth + 6, 0);
  Bevel2->setGeometry(4 * ToolButtonWidth + 9, 4, 2, ToolButtonHeight - 8);
  pnlInfo->setGeometry(w - InfoPanelWidth, 0, InfoPanelWidth, ToolButtonHeight);
  Bevel4->setGeometry(0, 4, 2, ToolButtonHeight - 8);
  btnInfo->move(InfoPanelWidth - InfoButtonWidth, 0);
  Bevel3->setGeometry(0, ToolButtonHeight + 1, w, 2);

  GroupBox->setGeometry(ListLeft, SecondRowTop, ListWidth, GroupBoxHeight);
  btnBack->move(PageLeft, SecondRowTop);
  btnForward->move(PageLeft + HistoryButtonWidth - 1, SecondRowTop);
  const int styleLeft = PageLeft + 2 * HistoryButtonWidth + 12;
  lblViewStyle->setGeometry(styleLeft, SecondRowTop + 8, 72, 16);
  comboViewStyle->setGeometry(styleLeft + 76, SecondRowTop + 5, 164, 22);

  FeedGrid->setGeometry(ListLeft, ListTop, ListWidth, std::max(0, h - ListTop - Margin));
  Panel1->setGeometry(PageLeft, ListTop, std::max(0, w - PageLeft - Margin),
                      std::max(0, h - ListTop - Margin));
}

void TfrmControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutControls();
}

bool TfrmControl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == WebBrowser->ViewWidget()) {
    return FilterBrowserDrag(*event) || QWidget::eventFilter(watched, event);
  }
  // A button under the pointer comes in front of its neighbour so its whole border shows;
  // Forward does so when the pointer leaves it.
  const QEvent::Type raiseOn = watched == btnForward ? QEvent::Leave : QEvent::Enter;
  if (event->type() == raiseOn) {
    static_cast<QWidget*>(watched)->raise();
  }
  return QWidget::eventFilter(watched, event);
}

bool TfrmControl::FilterBrowserDrag(QEvent& event) {
  const QEvent::Type type = event.type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
    return false;
  }
  // Drags that start inside this program end in a beep on the browser; links dragged from
  // other programs are dropped on the window, never followed by the browser.
  auto& drag = static_cast<QDropEvent&>(event);
  if (drag.source() == nullptr) {
    return URLDropTarget->HandleDragEvent(event);
  }
  drag.acceptProposedAction();
  if (type == QEvent::Drop) {
    WebBrowserDragDrop();
  }
  return true;
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
  // A directory that cannot be made shows later, when a group file cannot be written.
  QDir().mkpath(Q(FDataDir));
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
  const TIniFile settings(SettingsPath());
  const int style = settings.ReadInteger(SettingsSection, "viewstyle", 0);
  if (style > comboViewStyle->count() - 1) {
    comboViewStyle->setCurrentIndex(0);
  } else {
    comboViewStyle->setCurrentIndex(std::max(style, -1));
  }
  const int wd = settings.ReadInteger(SettingsSection, "wd", width());
  const int hg = settings.ReadInteger(SettingsSection, "hg", height());
  resize(std::max(wd, MinWidth), std::max(hg, MinHeight));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize area = screen->geometry().size();
    // Integer division cuts toward zero: a window 3 pixels wider than the screen is at -1.
    move((area.width() - width()) / 2, (area.height() - height()) / 2);
  }
  FSettingsRead = true;
}

void TfrmControl::SaveSettings() {
  TIniFile settings(SettingsPath());
  settings.WriteInteger(SettingsSection, "viewstyle", comboViewStyle->currentIndex());
  settings.WriteInteger(SettingsSection, "wd", width());
  settings.WriteInteger(SettingsSection, "hg", height());
  settings.UpdateFile();
}

std::string TfrmControl::GroupPath(const std::string& group) const {
  return FDataDir + group + ".dat";
}

std::string TfrmControl::SettingsPath() const {
  return FDataDir + "Settings.ruv";
}

int TfrmControl::AddGroupEntry(const QString& name) {
  const TNameCollation& collator = NameCollator();
  const std::string text = name.toStdString();
  int index = 0;
  while (index < GroupBox->count() &&
         collator.Compare(GroupBox->itemText(index).toStdString(), text) <= 0) {
    ++index;
  }
  GroupBox->insertItem(index, name);
  return index;
}

bool TfrmControl::HasGroupIgnoringCase(const QString& name) const {
  for (int i = 0; i < GroupBox->count(); ++i) {
    if (GroupBox->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
      return true;
    }
  }
  return false;
}

void TfrmControl::FillGroupList() {
  GroupBox->clear();
  std::vector<std::string> files;
  ListFiles(files, FDataDir, ".dat");
  if (files.empty()) {
    GroupBox->setEnabled(false);
    return;
  }
  for (const std::string& file : files) {
    AddGroupEntry(QFileInfo(Q(file)).completeBaseName());
  }
}

void TfrmControl::LoadGroup() {
  const std::string path = GroupPath(GroupBox->currentText().toStdString());
  // A group whose file is gone reads as empty, so the list never shows another group's
  // feeds under its name.
  SetupFeedList();
  FListUnloaded = false;
  FDamagedFile.clear();
  if (!QFileInfo::exists(Q(path))) {
    return;
  }
  try {
    FeedGrid->LoadFromBytes(ReadGroupFile(path));
  } catch (...) {
    ForgetUnreadableGroup();
    throw;
  }
}

void TfrmControl::ForgetUnreadableGroup() {
  // The rows read before the error that hold a link stay; the others are the empty rows the
  // row count at the head of the file made. The list is no faithful copy of the group:
  // nothing is written from it until a feed is added, and then only under this group's
  // name, after the damaged file has been kept beside it.
  std::vector<std::pair<std::string, std::string>> kept;
  for (int row = 0; row < FeedGrid->RowCount(); ++row) {
    if (!FeedGrid->Cells(0, row).empty()) {
      kept.emplace_back(FeedGrid->Cells(0, row), FeedGrid->Cells(2, row));
    }
  }
  SetupFeedList();
  FeedGrid->SetRowCount(std::max<int>(1, static_cast<int>(kept.size())));
  for (int row = 0; row < static_cast<int>(kept.size()); ++row) {
    FeedGrid->SetCells(0, row, std::move(kept[static_cast<size_t>(row)].first));
    FeedGrid->SetCells(2, row, std::move(kept[static_cast<size_t>(row)].second));
  }
  SetRowHeights();
  FCurrentGroup = GroupBox->currentText().toStdString();
  FDamagedFile = GroupPath(FCurrentGroup);
  FCurrentLink.clear();
  FCurrentTitle.clear();
  FListUnloaded = true;
  ResetView();
}

void TfrmControl::CheckGroupReadable(const std::string& group) const {
  const std::string path = GroupPath(group);
  if (QFileInfo::exists(Q(path))) {
    TGridControl probe;
    probe.LoadFromBytes(ReadGroupFile(path));
  }
}

void TfrmControl::SaveGroup() {
  if (FListUnloaded) {
    return;
  }
  const std::string path = GroupPath(FCurrentGroup);
  if (path == FDamagedFile) {
    KeepDamagedGroupFile(path);
    FDamagedFile.clear();
  }
  WriteGroupFile(path, FeedGrid->SaveToBytes());
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
  std::vector<TFeed> rows;
  rows.reserve(static_cast<size_t>(FeedGrid->RowCount()));
  for (int row = 0; row < FeedGrid->RowCount(); ++row) {
    rows.push_back({FeedGrid->Cells(0, row), FeedGrid->Cells(2, row)});
  }
  SortFeedList(rows, NameCollator());
  // Title and link go back as pairs, never split out of the key, so a title holding the
  // separator cannot corrupt a link.
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    FeedGrid->SetCells(2, row, std::move(rows[static_cast<size_t>(row)].Title));
    FeedGrid->SetCells(0, row, std::move(rows[static_cast<size_t>(row)].Link));
  }
  for (int row = 0; row < FeedGrid->RowCount(); ++row) {
    if (FeedGrid->Cells(2, row) == noted) {
      FSelectedRow = row;
      FeedGrid->FocusCell(2, row);
      break;
    }
  }
}

void TfrmControl::SetupFeedList() {
  FeedGrid->SetColCount(3);
  FeedGrid->SetFixedCols(1);
  FeedGrid->SetRowCount(1);
  FeedGrid->SetFixedRows(0);
  FeedGrid->ClearAll();
  FeedGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  FeedGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  FeedGrid->SetColWidths(0, LinkColumnWidth);
  FeedGrid->SetColWidths(1, MarginColumnWidth);
  FeedGrid->StretchLastColumn();
  FeedGrid->setShowGrid(false);
}

void TfrmControl::SetRowHeights() {
  for (int row = 0; row < FeedGrid->RowCount(); ++row) {
    FeedGrid->SetRowHeights(row, FeedRowHeight);
  }
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

void TfrmControl::ShowFeed(const std::string& link) {
  // The load runs an event loop of its own, which paints the loading page first.
  BasePageControl->SetActivePage(LoadingTab);
  FeedGrid->setEnabled(false);
  // However the load ends, the list takes clicks again and the cursor is back.
  struct TLoadEnd {
    TfrmControl& Window;
    ~TLoadEnd() { Window.FeedGrid->setEnabled(true); }
  } loadEnd{*this};
  const TBusyCursor busy;
  if (TryLoadFeed(link)) {
    WebBrowser->StartNewPage();
    RenderFeed();
    FCurrentLink = link;
    FSelectedRow = FeedGrid->Row();
    btnBack->setEnabled(true);
    // The link box names the new feed at once, not only once its pictures have arrived.
    edLink->setText(Q(FCurrentLink));
  } else {
    BasePageControl->SetActivePage(ErrorTab);
  }
}

bool TfrmControl::TryLoadFeed(const std::string& link) {
  try {
    LoadFeedAside(*FFeedReader, link);
    return true;
  } catch (const ELoadCancelled&) {
    throw;
  } catch (const std::exception& error) {
    // The error page shows no reason; its text and picture tell it on hovering.
    for (QLabel* label : ErrorTab->findChildren<QLabel*>())
      label->setToolTip(QString::fromStdString(error.what()));
    return false;
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
    const std::string name = StripNameChars(typed.toStdString());
    const QString trimmed = Q(name).trimmed();
    if (trimmed.isEmpty()) {
      return;
    }
    if (HasGroupIgnoringCase(trimmed)) {
      ShowInformation(this, tr("same name"));
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
  const std::string oldPath = GroupPath(GroupBox->itemText(index).toStdString());
  const std::string newPath = GroupPath(name);
  // The group is written under its new name before the old file goes, so a failed write
  // loses nothing. A list that failed to load is no copy of the group: its file moves.
  if (FListUnloaded) {
    MoveGroupFile(oldPath, newPath);
    FDamagedFile = newPath;
  } else {
    WriteGroupFile(newPath, FeedGrid->SaveToBytes());
    if (!IsSameFile(oldPath, newPath)) {
      QFile::remove(Q(oldPath));
    }
  }
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
  QFile::remove(Q(GroupPath(GroupBox->currentText().toStdString())));
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
  CenterOnWindow(*this, dialog);
  dialog.edLink->setText(Q(link));
  for (int i = 0; i < GroupBox->count(); ++i) {
    dialog.comboGroups->addItem(GroupBox->itemText(i));
  }
  dialog.comboGroups->setCurrentIndex(GroupBox->currentIndex());
  if (dialog.exec() == QDialog::Accepted) {
    // The feed goes into the group picked in the dialog, which is then shown.
    if (dialog.comboGroups->currentText() != Q(FCurrentGroup)) {
      CheckGroupReadable(dialog.comboGroups->currentText().toStdString());
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
  for (int i = 0; i < GroupBox->count(); ++i) {
    dialog.comboGroups->addItem(GroupBox->itemText(i));
  }
  dialog.comboGroups->setCurrentIndex(GroupBox->currentIndex());
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
      CheckGroupReadable(target.toStdString());
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
