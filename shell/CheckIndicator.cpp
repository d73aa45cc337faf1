#include "CheckIndicator.h"

#include <QDateTime>
#include <QEvent>
#include <QLocale>
#include <QPainter>

#include "FeedMarkPainter.h"

namespace vantle {

namespace {

constexpr int Size = 16;
constexpr int Gap = 6;
const QColor EndedColour(150, 150, 150);

}  // namespace

TCheckIndicator::TCheckIndicator(QWidget& beside)
    : QWidget(beside.parentWidget()), FBeside(beside) {
  resize(Size, Size);
  hide();
  beside.installEventFilter(this);
  Place();
}

void TCheckIndicator::ShowProgress(int done, int total) {
  FChecking = true;
  setToolTip(QStringLiteral("Checking %1 of %2 feeds...").arg(done).arg(total));
  show();
  update();
}

void TCheckIndicator::ShowEnded(TUnixTime when, const QTimeZone& zone) {
  FChecking = false;
  setToolTip(QStringLiteral("Last check ended %1")
                 .arg(QLocale::c().toString(QDateTime::fromSecsSinceEpoch(when, zone),
                                            QStringLiteral("d MMM HH:mm"))));
  show();
  update();
}

bool TCheckIndicator::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) Place();
  return QWidget::eventFilter(watched, event);
}

void TCheckIndicator::Place() {
  const QRect beside = FBeside.geometry();
  move(beside.left() - Gap - Size, beside.top() + (beside.height() - Size) / 2);
}

// Two arrows chasing each other round a circle, in the dot's colour while a check runs.
void TCheckIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(FChecking ? NewItemsColour : EndedColour, 2));
  const QRectF ring = QRectF(rect()).adjusted(2, 2, -2, -2);
  painter.drawArc(ring, 30 * 16, 120 * 16);
  painter.drawArc(ring, 210 * 16, 120 * 16);
}

}  // namespace vantle
