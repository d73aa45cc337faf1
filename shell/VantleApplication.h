#pragma once

#include <QApplication>

#include <exception>
#include <functional>

namespace vantle {

// The application object. Qt lets no exception cross its event loop, so every error a
// command raises is caught here and shown, and the window goes on running.
class TVantleApplication : public QApplication {
  Q_OBJECT

 public:
  // Sets the application's title "Vantle".
  TVantleApplication(int& argc, char** argv);

  // Delivers the event; an error raised while handling it is shown by ShowError.
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the error's text in a modal message box titled with the application's name.
void ShowError(const std::exception& error);

// Runs `step` where no event loop stands above it (the window's creation and destruction);
// an error it raises is shown as a command's error would be. True when it raised none.
bool RunReported(const std::function<void()>& step);

}  // namespace vantle
