#include "FeedMarkPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRect>

namespace vantle {

const QColor NewItemsColour(30, 110, 220);
const QColor WarningColour(220, 120, 0);

namespace {

constexpr int DotSize = 6;
constexpr int WarningWidth = 8;
constexpr int WarningHeight = 7;
constexpr int IconSize = 16;

void PaintDot(QPainter& painter, const QPoint& centre) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(NewItemsColour);
  painter.drawEllipse(QRect(centre.x() - DotSize / 2, centre.y() - DotSize / 2, DotSize, DotSize));
}

// A small triangle standing on its base.
void PaintWarning(QPainter& painter, const QPoint& centre) {
  const double left = centre.x() - WarningWidth / 2.0;
  const double top = centre.y() - WarningHeight / 2.0;
  QPainterPath triangle;
  triangle.moveTo(left + WarningWidth / 2.0, top);
  triangle.lineTo(left + WarningWidth, top + WarningHeight);
  triangle.lineTo(left, top + WarningHeight);
  triangle.closeSubpath();
  painter.fillPath(triangle, WarningColour);
}

}  // namespace

void PaintFeedMark(QPainter& painter, const QRect& cell, TFeedMark mark) {
  if (mark == TFeedMark::None) return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  if (mark == TFeedMark::NewItems)
    PaintDot(painter, cell.center());
  else
    PaintWarning(painter, cell.center());
  painter.restore();
}

QIcon NewItemsIcon() {
  QPixmap picture(IconSize, IconSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  PaintFeedMark(painter, picture.rect(), TFeedMark::NewItems);
  painter.end();
  return QIcon(picture);
}

}  // namespace vantle
