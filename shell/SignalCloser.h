#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

namespace vantle {

// Closes the main window the normal way, so that it writes what it writes at any shutdown,
// when the process gets SIGTERM or SIGINT or the desktop session ends. A second signal
// ends the process at once. One instance at a time.
class TSignalCloser : public QObject {
  Q_OBJECT

 public:
  // Takes over SIGTERM and SIGINT for `window`.
  explicit TSignalCloser(QWidget& window);
  // Gives SIGTERM and SIGINT back their default handling.
  ~TSignalCloser() override;

  TSignalCloser(const TSignalCloser&) = delete;
  TSignalCloser& operator=(const TSignalCloser&) = delete;

 private:
  void SignalArrived();
  void CloseWindow();

  QPointer<QWidget> FWindow;
  QSocketNotifier* FNotifier = nullptr;
  int FPipe[2] = {-1, -1};
};

}  // namespace vantle
