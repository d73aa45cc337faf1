#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <clocale>

namespace vantle {

namespace {

// Fontconfig reads numbers through the locale, which the application sets on the main thread
// meanwhile: this thread keeps a locale of its own, so that no number is read while it changes.
void ReadFontConfiguration() {
  const locale_t own = newlocale(LC_ALL_MASK, "C", nullptr);
  if (own) uselocale(own);
  FcInit();
  if (own) {
    uselocale(LC_GLOBAL_LOCALE);
    freelocale(own);
  }
}

}  // namespace

TFontWarmUp::TFontWarmUp() : FThread(ReadFontConfiguration) {}

TFontWarmUp::~TFontWarmUp() {
  FThread.join();
}

}  // namespace vantle
