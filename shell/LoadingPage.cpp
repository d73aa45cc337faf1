#include "LoadingPage.h"

#include <QIcon>
#include <QPainter>
#include <QVBoxLayout>

namespace vantle {

namespace {

constexpr int PictureSize = 120;
constexpr int TurnIntervalMs = 80;
constexpr int TurnDegrees = 30;

QLabel* CentredLine(const QString& text, int pixels, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(pixels);
  label->setFont(font);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

QWidget* LoadingPage(QWidget* parent) {
  auto* page = new QWidget(parent);
  auto* layout = new QVBoxLayout(page);
  layout->addStretch();
  layout->addWidget(new TTurningPicture(
      QIcon(QStringLiteral(":/icons/loading.svg")).pixmap(PictureSize, PictureSize), page));
  layout->addWidget(CentredLine(QObject::tr("loading..."), 32, page));
  layout->addWidget(CentredLine(QObject::tr("Press Esc to cancel"), 16, page));
  layout->addStretch();
  return page;
}

TTurningPicture::TTurningPicture(const QPixmap& picture, QWidget* parent)
    : QLabel(parent), FPicture(picture) {
  setAlignment(Qt::AlignCenter);
  setPixmap(FPicture);
  FTimer.setInterval(TurnIntervalMs);
  connect(&FTimer, &QTimer::timeout, this, [this] { Turn(); });
}

void TTurningPicture::showEvent(QShowEvent* event) {
  QLabel::showEvent(event);
  FTimer.start();
}

void TTurningPicture::hideEvent(QHideEvent* event) {
  FTimer.stop();
  QLabel::hideEvent(event);
}

void TTurningPicture::Turn() {
  FAngle = (FAngle + TurnDegrees) % 360;
  QPixmap frame(FPicture.size());
  frame.setDevicePixelRatio(FPicture.devicePixelRatio());
  frame.fill(Qt::transparent);
  QPainter painter(&frame);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSizeF size = FPicture.deviceIndependentSize();
  painter.translate(size.width() / 2, size.height() / 2);
  painter.rotate(FAngle);
  painter.drawPixmap(QPointF(-size.width() / 2, -size.height() / 2), FPicture);
  painter.end();
  setPixmap(frame);
}

}  // namespace vantle
