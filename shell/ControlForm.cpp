#include "ControlForm.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

#include "GridControl.h"
#include "LoadingPage.h"
#include "PageControlEx.h"
#include "URLDropTarget.h"
#include "UVantleFormUtils.h"
#include "UfrmControl.h"
#include "WebBrowser.h"

// The pictures are compiled into the shell's static library, whose resource object the
// linker would otherwise drop.
static void InitShellResources() {
  Q_INIT_RESOURCE(vantle);
}

namespace vantle {

namespace {

constexpr int FirstWidth = 768;
constexpr int FirstHeight = 586;

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
constexpr int StatusBarHeight = 22;
constexpr int ProgressPanelWidth = 135;

const QColor StatusBarColour(239, 240, 236);

QFont PixelFont(const QString& family, int pixels, bool bold = false) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QIcon Picture(const char* name) {
  return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
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

// A button under the pointer comes in front of its neighbour so its whole border shows;
// Forward does so when the pointer leaves it.
class TRaiseOnHover : public QObject {
 public:
  TRaiseOnHover(QObject* parent, QWidget* raisedOnLeave)
      : QObject(parent), FRaisedOnLeave(raisedOnLeave) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type raiseOn = watched == FRaisedOnLeave ? QEvent::Leave : QEvent::Enter;
    if (event->type() == raiseOn) {
      static_cast<QWidget*>(watched)->raise();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* FRaisedOnLeave;
};

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

void CreateToolRow(TfrmControl& form) {
  const QSize toolSize(ToolButtonWidth, ToolButtonHeight);
  form.btnAddGroup = FlatButton(&form, "add-group", TfrmControl::tr("Group"),
                                TfrmControl::tr("New Group"), toolSize);
  form.btnNewFeed =
      FlatButton(&form, "add-feed", TfrmControl::tr("Feed"), TfrmControl::tr("New Feed"), toolSize);
  form.Bevel1 = Separator(&form, QFrame::VLine);
  form.btnEditGroup = FlatButton(&form, "edit-group", TfrmControl::tr("Group"),
                                 TfrmControl::tr("Edit Group"), toolSize);
  form.btnEditFeed = FlatButton(&form, "edit-feed", TfrmControl::tr("Feed"),
                                TfrmControl::tr("Edit Feed"), toolSize);
  form.Bevel2 = Separator(&form, QFrame::VLine);
  form.pnlInfo = new QWidget(&form);
  form.Bevel4 = Separator(form.pnlInfo, QFrame::VLine);
  form.btnInfo = FlatButton(form.pnlInfo, "info", QString(), QString(),
                            QSize(InfoButtonWidth, ToolButtonHeight));
  form.Bevel3 = Separator(&form, QFrame::HLine);
}

void CreateSecondRow(TfrmControl& form) {
  form.GroupBox = new QComboBox(&form);
  form.GroupBox->setEditable(false);
  form.GroupBox->setFont(PixelFont(QStringLiteral("Tahoma"), GroupFontPixels));
  form.GroupBox->setItemDelegate(new TGroupItemDelegate(form.GroupBox));
  form.GroupBox->setContextMenuPolicy(Qt::CustomContextMenu);
  form.btnBack = FlatButton(&form, "back", QString(), TfrmControl::tr("Back"),
                            QSize(HistoryButtonWidth, HistoryButtonHeight));
  form.btnForward = FlatButton(&form, "forward", QString(), TfrmControl::tr("Forward"),
                               QSize(HistoryButtonWidth, HistoryButtonHeight));
  form.lblViewStyle = new QLabel(TfrmControl::tr("View Style:"), &form);
  QFont bold = form.font();
  bold.setBold(true);
  form.lblViewStyle->setFont(bold);
  form.comboViewStyle = new QComboBox(&form);
  form.comboViewStyle->setEditable(false);
}

void CreateFeedList(TfrmControl& form) {
  form.FeedGrid = new TGridControl(&form);
  form.FeedGrid->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
}

QWidget* CreateBrowserTab(TfrmControl& form) {
  auto* page = new QWidget(form.BasePageControl);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  form.WebBrowser = new TWebBrowser(page);
  layout->addWidget(form.WebBrowser, 1);

  form.pnlStatus = new QWidget(page);
  form.pnlStatus->setFixedHeight(StatusBarHeight);
  form.pnlStatus->setAutoFillBackground(true);
  QPalette barPalette = form.pnlStatus->palette();
  barPalette.setColor(QPalette::Window, StatusBarColour);
  barPalette.setColor(QPalette::Base, StatusBarColour);
  form.pnlStatus->setPalette(barPalette);
  auto* bar = new QHBoxLayout(form.pnlStatus);
  bar->setContentsMargins(2, 0, 0, 0);
  bar->setSpacing(0);
  form.edLink = new QLineEdit(form.pnlStatus);
  form.edLink->setReadOnly(true);
  form.edLink->setFrame(false);
  form.edLink->setPalette(barPalette);
  bar->addWidget(form.edLink, 1);
  form.pnlProgress = new QWidget(form.pnlStatus);
  form.pnlProgress->setFixedWidth(ProgressPanelWidth);
  auto* progressLayout = new QHBoxLayout(form.pnlProgress);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  form.WebProgress = new QProgressBar(form.pnlProgress);
  form.WebProgress->setFixedSize(121, 14);
  form.WebProgress->setTextVisible(false);
  progressLayout->addWidget(form.WebProgress, 0, Qt::AlignCenter);
  bar->addWidget(form.pnlProgress);
  form.pnlProgress->hide();
  layout->addWidget(form.pnlStatus);
  return page;
}

void CreatePages(TfrmControl& form) {
  form.Panel1 = new QFrame(&form);
  form.Panel1->setFrameShape(QFrame::Panel);
  form.Panel1->setFrameShadow(QFrame::Sunken);
  auto* layout = new QVBoxLayout(form.Panel1);
  layout->setContentsMargins(1, 1, 1, 1);
  form.BasePageControl = new TPageControlEx(form.Panel1);
  layout->addWidget(form.BasePageControl);
  form.HomeTab =
      PictureTab(form.BasePageControl, "home", 300,
                 {{QStringLiteral("Vantle"), 53}, {TfrmControl::tr("Simple Web Feed Reader"), 21}});
  form.LoadingTab = LoadingPage(form.BasePageControl);
  form.ErrorTab = PictureTab(form.BasePageControl, "error", 120,
                             {{TfrmControl::tr("error retrieving feed"), 32}});
  form.BrowserTab = CreateBrowserTab(form);
  form.BasePageControl->addTab(form.HomeTab, QStringLiteral("HomeTab"));
  form.BasePageControl->addTab(form.LoadingTab, QStringLiteral("LoadingTab"));
  form.BasePageControl->addTab(form.ErrorTab, QStringLiteral("ErrorTab"));
  form.BasePageControl->addTab(form.BrowserTab, QStringLiteral("BrowserTab"));
  // Start-up hides the tabs again; doing it now keeps the strip away should start-up fail.
  HideTabs(*form.BasePageControl);
}

void CreateMenus(TfrmControl& form) {
  form.GRoupPop = new QMenu(&form);
  form.NewGroup1 = form.GRoupPop->addAction(TfrmControl::tr("New Group..."));
  form.EditGroup1 = form.GRoupPop->addAction(TfrmControl::tr("Edit Group..."));
  form.DeleteFroup1 = form.GRoupPop->addAction(TfrmControl::tr("Delete Group"));
  form.GRidPop = new QMenu(&form);
  form.NewFeed1 = form.GRidPop->addAction(TfrmControl::tr("New Feed..."));
  form.EditFeed1 = form.GRidPop->addAction(TfrmControl::tr("Edit Feed..."));
  form.DeleteFeed1 = form.GRidPop->addAction(TfrmControl::tr("Delete Feed"));
  form.FeedGrid->SetPopupMenu(form.GRidPop);
}

}  // namespace

void CreateControlForm(TfrmControl& form) {
  InitShellResources();
  form.setWindowTitle(QStringLiteral("Vantle - Simple Web Feed Reader"));
  form.setWindowIcon(Picture("vantle"));
  form.setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
  form.setMinimumSize(ControlMinWidth, ControlMinHeight);
  form.resize(FirstWidth, FirstHeight);
  CreateToolRow(form);
  CreateSecondRow(form);
  CreateFeedList(form);
  CreatePages(form);
  CreateMenus(form);
  form.URLDropTarget = new TURLDropTarget(&form);
  auto* raise = new TRaiseOnHover(&form, form.btnForward);
  for (QWidget* button : {form.btnAddGroup, form.btnNewFeed, form.btnEditGroup, form.btnEditFeed,
                          form.btnBack, form.btnForward}) {
    button->installEventFilter(raise);
  }
  LayOutControlForm(form);
}

void LayOutControlForm(TfrmControl& form) {
  const int w = form.width();
  const int h = form.height();
  form.btnAddGroup->move(0, 0);
  // Neighbouring buttons overlap by one pixel, so their borders meet.
  form.btnNewFeed->move(ToolButtonWidth - 1, 0);
  form.Bevel1->setGeometry(2 * ToolButtonWidth + 2, 4, 2, ToolButtonHeight - 8);
  form.btnEditGroup->move(2 * ToolButtonWidth + 7, 0);
  form.btnEditFeed->move(3 * ToolButtonWidth + 6, 0);
  form.Bevel2->setGeometry(4 * ToolButtonWidth + 9, 4, 2, ToolButtonHeight - 8);
  form.pnlInfo->setGeometry(w - InfoPanelWidth, 0, InfoPanelWidth, ToolButtonHeight);
  form.Bevel4->setGeometry(0, 4, 2, ToolButtonHeight - 8);
  form.btnInfo->move(InfoPanelWidth - InfoButtonWidth, 0);
  form.Bevel3->setGeometry(0, ToolButtonHeight + 1, w, 2);

  form.GroupBox->setGeometry(ListLeft, SecondRowTop, ListWidth, GroupBoxHeight);
  form.btnBack->move(PageLeft, SecondRowTop);
  form.btnForward->move(PageLeft + HistoryButtonWidth - 1, SecondRowTop);
  const int styleLeft = PageLeft + 2 * HistoryButtonWidth + 12;
  form.lblViewStyle->setGeometry(styleLeft, SecondRowTop + 8, 72, 16);
  form.comboViewStyle->setGeometry(styleLeft + 76, SecondRowTop + 5, 164, 22);

  form.FeedGrid->setGeometry(ListLeft, ListTop, ListWidth, std::max(0, h - ListTop - Margin));
  form.Panel1->setGeometry(PageLeft, ListTop, std::max(0, w - PageLeft - Margin),
                           std::max(0, h - ListTop - Margin));
}

}  // namespace vantle
