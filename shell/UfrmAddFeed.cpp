#include "UfrmAddFeed.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <memory>

#include "CommandGuard.h"
#include "DialogKeys.h"
#include "FeedLoadRunner.h"
#include "FeedOffers.h"
#include "FeedSource.h"
#include "SimpleRSS.h"
#include "UVantleFormUtils.h"

namespace vantle {

namespace {

constexpr int FormWidth = 520;
constexpr int CollapsedHeight = 142;
constexpr int ExpandedHeight = 184;
constexpr int LinkBandHeight = 55;
constexpr int ButtonBandHeight = 48;
constexpr int NewLinkWidth = 394;
constexpr int EditLinkWidth = 460;

const QColor Navy(0, 0, 128);
const QColor Green(0, 128, 0);
const QColor Red(255, 0, 0);

}  // namespace

TfrmAddFeed::TfrmAddFeed(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle(tr("New Feed"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(CreateLinkBand());
  pnlOffers = new TFeedOffers(this);
  layout->addWidget(pnlOffers);
  connect(pnlOffers, &TFeedOffers::Chosen, this, [this](const QString& link) {
    edLink->setText(link);
    TestLink();
  });
  FTitleBand = CreateTitleBand();
  layout->addWidget(FTitleBand, 1);
  layout->addStretch();
  layout->addWidget(CreateButtonBand());
  // Collapsed, only the link row and the buttons show.
  FTitleBand->hide();

  btnOK->setEnabled(false);
  resize(FormWidth, CollapsedHeight);
  LockFormSize(*this);
  lblMessage->clear();
}

QWidget* TfrmAddFeed::CreateLinkBand() {
  auto* band = new QWidget(this);
  band->setFixedHeight(LinkBandHeight);
  auto* grid = new QGridLayout(band);
  grid->setContentsMargins(10, 8, 10, 0);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(tr("Link:"), band), 0, 0);
  edLink = new QLineEdit(band);
  edLink->setFixedWidth(NewLinkWidth);
  grid->addWidget(edLink, 0, 1);
  btnTest = new QPushButton(tr("Test"), band);
  btnTest->setAutoDefault(false);
  grid->addWidget(btnTest, 0, 2);
  lblMessage = new QLabel(band);
  grid->addWidget(lblMessage, 1, 1, 1, 2);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(2, 1);
  connect(btnTest, &QPushButton::clicked, this, Guarded(this, [this] { btnTestClick(); }));
  EnterPressesButton(*edLink, *btnTest);
  return band;
}

QWidget* TfrmAddFeed::CreateTitleBand() {
  auto* band = new QWidget(this);
  auto* row = new QHBoxLayout(band);
  row->setContentsMargins(10, 4, 10, 4);
  row->addWidget(new QLabel(tr("Title:"), band));
  edTitle = new QLineEdit(band);
  edTitle->setFixedWidth(240);
  row->addWidget(edTitle);
  row->addSpacing(12);
  row->addWidget(new QLabel(tr("Group:"), band));
  comboGroups = new QComboBox(band);
  comboGroups->setFixedWidth(145);
  row->addWidget(comboGroups);
  row->addStretch();
  connect(edTitle, &QLineEdit::textChanged, this, &TfrmAddFeed::edTitleChange);
  return band;
}

QWidget* TfrmAddFeed::CreateButtonBand() {
  auto* band = new QWidget(this);
  band->setFixedHeight(ButtonBandHeight);
  auto* row = new QHBoxLayout(band);
  row->setContentsMargins(10, 8, 10, 10);
  btnCancel = new QPushButton(tr("Cancel"), band);
  btnDelete = new QPushButton(tr("Delete"), band);
  btnOK = new QPushButton(tr("OK"), band);
  row->addWidget(btnCancel);
  row->addStretch();
  row->addWidget(btnDelete);
  row->addWidget(btnOK);
  btnDelete->hide();
  btnOK->setDefault(true);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmAddFeed::btnCancelClick);
  connect(btnDelete, &QPushButton::clicked, this, &TfrmAddFeed::btnDeleteClick);
  connect(btnOK, &QPushButton::clicked, this, &TfrmAddFeed::btnOKClick);
  return band;
}

void TfrmAddFeed::TestLink() {
  pnlOffers->Clear();
  const QString link = edLink->text();
  if (link.trimmed().isEmpty()) {
    ShowMessage(tr("Please provide a valid link"), Navy);
    return;
  }
  TBusyCursor busy;
  auto reader = std::make_unique<TSimpleRSS>();
  ShowMessage(tr("Contacting provider..."), Qt::black);
  const std::string target = link.toStdString();
  std::vector<TDiscoveredFeed> offers;
  try {
    RunAside(*reader, [&] {
      try {
        TFeedSource(FFeedState).Load(*reader, target, TRequestKind::Refresh);
      } catch (const std::exception& error) {
        // The page the link gave may name its feeds; they are read on the same worker.
        offers = FeedsToOffer(*reader, error, target, {});
        throw;
      }
    });
    edTitle->setText(QString::fromStdString(reader->Channel().Required.Title()));
    ShowLinkOK();
  } catch (const std::exception& error) {
    // Any failure of the load means the link is not usable; the user may correct it, or
    // choose a feed the page names.
    pnlOffers->Offer(offers);
    ShowMessage(tr("Error: Could not retrieve feed using this link"), Red);
    lblMessage->setToolTip(QString::fromStdString(error.what()));
  }
}

void TfrmAddFeed::ShowLinkOK() {
  ShowMessage(tr("Link OK"), Green);
  edLink->setEnabled(false);
  btnTest->setEnabled(false);
  Expand();
  edTitleChange();
  // The frozen link box gave the focus away; Enter in the title box is OK.
  FocusWithTextSelected(*edTitle);
}

void TfrmAddFeed::SetEditMode(const QString& link, const QString& title) {
  setWindowTitle(tr("Edit Feed"));
  edLink->setReadOnly(true);
  QPalette panel = edLink->palette();
  panel.setColor(QPalette::Base, palette().color(QPalette::Window));
  edLink->setPalette(panel);
  edLink->setText(link);
  edTitle->setText(title);
  edLink->setFixedWidth(EditLinkWidth);
  btnDelete->show();
  btnTest->hide();
  Expand();
  edTitleChange();
  btnCancel->setFocus();
}

void TfrmAddFeed::Expand() {
  UnlockFormSize(*this);
  FTitleBand->show();
  resize(width(), ExpandedHeight);
  LockFormSize(*this);
}

void TfrmAddFeed::btnTestClick() {
  TestLink();
}

void TfrmAddFeed::edTitleChange() {
  btnOK->setEnabled(!edTitle->text().trimmed().isEmpty());
}

void TfrmAddFeed::btnOKClick() {
  FFeedLink = edLink->text();
  FFeedTitle = edTitle->text().trimmed();
  accept();
}

void TfrmAddFeed::btnCancelClick() {
  reject();
}

void TfrmAddFeed::btnDeleteClick() {
  if (ConfirmYes(this, tr("Are you sure you want to delete this feed?"))) {
    done(mrDelete);
  }
}

void TfrmAddFeed::closeEvent(QCloseEvent* event) {
  if (FeedLoadRunning()) {
    // The test is aborted, and the dialog closes as soon as it has ended.
    AbortFeedLoad();
    WhenNoFeedLoads(this, [this] { close(); });
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TfrmAddFeed::ShowMessage(const QString& text, const QColor& colour) {
  ShowLabelMessage(*lblMessage, text, colour);
  lblMessage->setToolTip(QString());
}

}  // namespace vantle
