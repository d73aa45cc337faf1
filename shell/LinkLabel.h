#pragma once

#include <QLabel>
#include <QString>

namespace vantle {

// A bold navy label with the hand cursor that opens its Link through the desktop when
// clicked (after emitted clicked()). A failure to open is not reported.
class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(QWidget* parent = nullptr);

  QString Link;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace vantle
