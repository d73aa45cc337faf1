#include "URLDropTarget.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace vantle {

namespace {

// Raises `handler` when assigned; a drag is accepted unless the handler refuses it.
bool AskAccept(const std::function<void(bool&)>& handler) {
  bool accept = true;
  if (handler) {
    handler(accept);
  }
  return accept;
}

// Accepts or refuses a drag event, keeping the drop action the source proposed.
void Answer(QDropEvent& event, bool accept) {
  if (accept) {
    event.acceptProposedAction();
  } else {
    event.ignore();
  }
}

const QString PlainText = QStringLiteral("text/plain");

}  // namespace

TURLDropTarget::TURLDropTarget(QWidget* owner) : QObject(owner) {
  owner->setAcceptDrops(true);
  owner->installEventFilter(this);
}

bool TURLDropTarget::eventFilter(QObject* watched, QEvent* event) {
  return HandleDragEvent(*event) || QObject::eventFilter(watched, event);
}

bool TURLDropTarget::HandleDragEvent(QEvent& event) {
  switch (event.type()) {
    case QEvent::DragEnter:
      Answer(static_cast<QDragEnterEvent&>(event), AskAccept(OnDragEnter));
      return true;
    case QEvent::DragMove:
      Answer(static_cast<QDragMoveEvent&>(event), AskAccept(OnDragOver));
      return true;
    case QEvent::DragLeave:
      AskAccept(OnDragLeave);
      event.accept();
      return true;
    case QEvent::Drop: {
      auto& drop = static_cast<QDropEvent&>(event);
      if (OnBeforeDrop) {
        OnBeforeDrop();
      }
      const QMimeData* data = drop.mimeData();
      if (data != nullptr) {
        TakeText(*data);
      }
      drop.acceptProposedAction();
      if (OnDropURL) {
        OnDropURL();
      }
      return true;
    }
    default:
      return false;
  }
}

void TURLDropTarget::TakeText(const QMimeData& data) {
  // QMimeData::hasText() also holds for a bare URL list, whose text() is every URL on its
  // own line; such a drop (file managers, some browsers) gives its first URL instead.
  if (data.hasFormat(PlainText)) {
    FDroppedURL = data.text();
  } else if (data.hasUrls() && !data.urls().isEmpty()) {
    FDroppedURL = data.urls().first().toString();
  }
}

}  // namespace vantle
