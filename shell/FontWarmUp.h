#pragma once

#include <thread>

namespace vantle {

// Reads the font configuration on a thread of its own while the object lives. Started before
// Qt connects to the display, it is done by the time the window lays out its first text, which
// would otherwise wait for it.
class TFontWarmUp {
 public:
  TFontWarmUp();
  TFontWarmUp(const TFontWarmUp&) = delete;
  TFontWarmUp& operator=(const TFontWarmUp&) = delete;
  ~TFontWarmUp();

 private:
  std::thread FThread;
};

}  // namespace vantle
