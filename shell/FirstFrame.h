#pragma once

#include <QWidget>

#include <functional>

namespace vantle {

// Runs `work` once, from the event loop, right after `window` has painted its first frame;
// nothing runs when the window is destroyed before it paints.
void RunAfterFirstFrame(QWidget& window, std::function<void()> work);

}  // namespace vantle
