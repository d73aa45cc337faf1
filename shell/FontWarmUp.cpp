#include "FontWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <clocale>

namespace vantle {

namespace {

// Fontconfig reads numbers through the locale, which the application sets meanwhile on the
// other thread: this thread reads in a locale of its own, whose numbers fontconfig reads alike.
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
