#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

namespace vantle {

// Makes its owner window accept dropped links. A drop's plain text, or where it carries only
// URLs the first URL as text, becomes DroppedURL; OnDropURL is raised after every drop.
class TURLDropTarget : public QObject {
  Q_OBJECT

 public:
  // Registers itself as the drop target of `owner` (accepting drops on it).
  explicit TURLDropTarget(QWidget* owner);

  // Answers a drag or drop event aimed at another widget as if it were aimed at the owner;
  // true when `event` was one of them and is handled.
  bool HandleDragEvent(QEvent& event);

  // The text of the last drop that carried text; empty until then.
  const QString& DroppedURL() const { return FDroppedURL; }

  // Each may set `accept` to false to refuse the drag; left empty, the drag is accepted.
  std::function<void(bool& accept)> OnDragEnter;
  std::function<void(bool& accept)> OnDragOver;
  std::function<void(bool& accept)> OnDragLeave;
  std::function<void()> OnBeforeDrop;
  std::function<void()> OnDropURL;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Takes the drop's text, or its first URL when it carries URLs only.
  void TakeText(const QMimeData& data);

  QString FDroppedURL;
};

}  // namespace vantle
