#pragma once

#include <QObject>

#include <functional>
#include <utility>

namespace vantle {

// Runs a command that the event loop started (from a slot or an event handler) so that no
// error passes through Qt's frames: an error it raises is shown by ShowError and ends the
// command there. A command that comes while a feed loads waits until the load has ended,
// and is dropped should `context` be gone by then.
void RunCommand(QObject* context, std::function<void()> command);

// A slot that runs `command` through RunCommand; whatever the signal carries is dropped.
template <class TCommand>
auto Guarded(QObject* context, TCommand command) {
  return [context, command = std::move(command)] { RunCommand(context, command); };
}

}  // namespace vantle
