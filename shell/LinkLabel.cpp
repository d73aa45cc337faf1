#include "LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace vantle {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
  QPalette navy = palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  setPalette(navy);
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
    return;
  }
  emit clicked();
  // The desktop's failure to open is deliberately not reported.
  QDesktopServices::openUrl(QUrl(Link));
}

}  // namespace vantle
