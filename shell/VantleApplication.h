#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace vantle {

// The application object. Commands catch their own errors (CommandGuard); one that still
// reaches the event loop is caught here and shown, and the window goes on running.
class TVantleApplication : public QApplication {
  Q_OBJECT

 public:
  // Sets the application's title "Vantle".
  TVantleApplication(int& argc, char** argv);

  // Delivers the event; an error raised while handling it is shown by ShowError.
  bool notify(QObject* receiver, QEvent* event) override;

  // Called instead of ShowError for an error that no command guard caught; tests make such
  // an error fail the test.
  std::function<void(const std::exception&)> OnUnguardedError;
};

// Shows the error's text in a modal message box titled with the application's name.
void ShowError(const std::exception& error);

// Runs `step` where no event loop stands above it (the window's creation and destruction);
// an error it raises is shown as a command's error would be. True when it raised none.
bool RunReported(const std::function<void()>& step);

}  // namespace vantle
