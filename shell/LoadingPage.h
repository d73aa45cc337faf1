#pragma once

#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace vantle {

// The page shown while a feed loads: the loading picture, turning, above "loading..." and
// the line that tells how to cancel, "Press Esc to cancel".
QWidget* LoadingPage(QWidget* parent);

// A picture that turns while it is on screen; the event loop runs during a load, so it
// turns then.
class TTurningPicture : public QLabel {
 public:
  TTurningPicture(const QPixmap& picture, QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Turn();

  QPixmap FPicture;
  QTimer FTimer;
  int FAngle = 0;
};

}  // namespace vantle
