#include "SignalCloser.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "Exception.h"

namespace vantle {

namespace {

// The handler may only touch these: it writes one byte into the pipe that the event loop
// watches, and ends the process when a signal is already waiting to be handled.
volatile sig_atomic_t gSignalWriteFd = -1;
volatile sig_atomic_t gSignalPending = 0;

extern "C" void OnTerminationSignal(int signal) {
  if (gSignalPending != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  gSignalPending = 1;
  const int savedErrno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gSignalWriteFd, &byte, 1);
  errno = savedErrno;
}

void SetHandler(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

TSignalCloser::TSignalCloser(QWidget& window) : FWindow(&window) {
  if (::pipe2(FPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw Exception("Cannot watch for termination signals");
  }
  gSignalWriteFd = FPipe[1];
  gSignalPending = 0;
  FNotifier = new QSocketNotifier(FPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, &TSignalCloser::SignalArrived);
  SetHandler(SIGTERM, OnTerminationSignal);
  SetHandler(SIGINT, OnTerminationSignal);

  // The session manager asks running programs to save before the session ends.
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { CloseWindow(); });
  connect(qApp, &QCoreApplication::aboutToQuit, this, &TSignalCloser::CloseWindow);
}

TSignalCloser::~TSignalCloser() {
  SetHandler(SIGTERM, SIG_DFL);
  SetHandler(SIGINT, SIG_DFL);
  gSignalWriteFd = -1;
  ::close(FPipe[0]);
  ::close(FPipe[1]);
}

void TSignalCloser::SignalArrived() {
  char bytes[16];
  while (::read(FPipe[0], bytes, sizeof bytes) > 0) {
  }
  CloseWindow();
}

void TSignalCloser::CloseWindow() {
  QWidget* const window = FWindow.data();
  if (window == nullptr || !window->isVisible()) {
    return;
  }
  // Open dialogs are cancelled first, so the command that opened one changes nothing more.
  for (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr;
       modal = QApplication::activeModalWidget()) {
    modal->close();
    if (QApplication::activeModalWidget() == modal) {
      break;
    }
  }
  window->close();
}

}  // namespace vantle
