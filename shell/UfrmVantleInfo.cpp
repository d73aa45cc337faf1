#include "UfrmVantleInfo.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <QVBoxLayout>

#include "LinkLabel.h"
#include "UVantleFormUtils.h"

namespace vantle {

namespace {

QFont Tahoma(int pixels, bool bold = false) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFrame* Rule(QWidget* parent) {
  auto* rule = new QFrame(parent);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  return rule;
}

QLabel* BoldLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

}  // namespace

TfrmVantleInfo::TfrmVantleInfo(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      GuidePath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                QLatin1String(UserGuideFileName)) {
  setWindowTitle(tr("Vantle - Information"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->setContentsMargins(16, 12, 16, 8);
  AddHeader(*layout);
  layout->addWidget(Rule(this));
  AddDetails(*layout);
  layout->addStretch();
  layout->addWidget(Rule(this));
  layout->addWidget(new QLabel(QStringLiteral(" "), this));
  resize(413, 269);
}

void TfrmVantleInfo::AddHeader(QVBoxLayout& layout) {
  auto* header = new QHBoxLayout;
  auto* picture = new QLabel(this);
  picture->setFixedSize(49, 47);
  picture->setPixmap(QIcon(QStringLiteral(":/icons/vantle.svg")).pixmap(QSize(49, 47)));
  header->addWidget(picture);
  auto* names = new QVBoxLayout;
  auto* name = new QLabel(QStringLiteral("Vantle"), this);
  name->setFont(Tahoma(19));
  auto* subtitle = new QLabel(tr("Simple Web Feed Reader"), this);
  subtitle->setFont(Tahoma(13));
  names->addWidget(name);
  names->addWidget(subtitle);
  header->addLayout(names);
  header->addStretch();
  layout.addLayout(header);
}

void TfrmVantleInfo::AddDetails(QVBoxLayout& layout) {
  auto* rows = new QGridLayout;
  rows->setColumnStretch(1, 1);
  rows->addWidget(BoldLabel(tr("Program Version: "), this), 0, 0);
  rows->addWidget(BoldLabel(QStringLiteral(VANTLE_VERSION), this), 0, 1);

  rows->addWidget(BoldLabel(tr("Website: "), this), 1, 0);
  lblWebLink = new TLinkLabel(this);
  lblWebLink->setText(QLatin1String(VantleWebsite));
  lblWebLink->Link = QLatin1String(VantleWebsite);
  rows->addWidget(lblWebLink, 1, 1);

  rows->addWidget(BoldLabel(tr("Comments And Suggestions:"), this), 2, 0, 1, 2);

  rows->addWidget(BoldLabel(tr("Email:"), this), 3, 0);
  lblEmailLink = new TLinkLabel(this);
  lblEmailLink->setText(QLatin1String(VantleEmail));
  lblEmailLink->Link = QStringLiteral("mailto:") + QLatin1String(VantleEmail);
  rows->addWidget(lblEmailLink, 3, 1);

  rows->addWidget(BoldLabel(tr("Help:"), this), 4, 0);
  Label10 = BoldLabel(tr("Vantle User Guide"), this);
  QPalette navy = Label10->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label10->setPalette(navy);
  Label10->setCursor(Qt::PointingHandCursor);
  Label10->installEventFilter(this);
  rows->addWidget(Label10, 4, 1);
  layout.addLayout(rows);
}

bool TfrmVantleInfo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label10 && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton &&
        Label10->rect().contains(mouse->position().toPoint())) {
      Label10Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmVantleInfo::Label10Click() {
  if (QFileInfo(GuidePath).isFile()) {
    // The desktop's failure to open the guide is not reported.
    QDesktopServices::openUrl(QUrl::fromLocalFile(GuidePath));
    return;
  }
  ShowInformation(this,
                  tr("Vantle user guide pdf file could not be found in application directory."));
}

}  // namespace vantle
