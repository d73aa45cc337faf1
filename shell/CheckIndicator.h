#pragma once

#include <QTimeZone>
#include <QWidget>

#include "FeedState.h"

namespace vantle {

// A small mark in the window's tool row, left of `beside`, that shows a check of every feed
// runs; its tooltip says how far the check got, and once it ended, when. Hidden until the
// first check starts.
class TCheckIndicator : public QWidget {
 public:
  // A child of `beside`'s parent, following `beside` when it moves.
  explicit TCheckIndicator(QWidget& beside);

  bool Checking() const { return FChecking; }
  // "Checking 12 of 30 feeds..."
  void ShowProgress(int done, int total);
  // "Last check ended 10 Dec 14:02", in `zone`.
  void ShowEnded(TUnixTime when, const QTimeZone& zone = QTimeZone::systemTimeZone());

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Place();

  QWidget& FBeside;
  bool FChecking = false;
};

}  // namespace vantle
