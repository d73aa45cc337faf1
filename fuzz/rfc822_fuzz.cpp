#include "FuzzSupport.h"
#include "RFC822DateTime.h"

namespace {

// Whole seconds on a real calendar day: what every readable date must come to.
bool IsWholeSecondOfCalendar(vantle::TDateTime value) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  vantle::DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  vantle::TDateTime date = 0;
  vantle::TDateTime time = 0;
  return msec == 0 && vantle::TryEncodeDate(year, month, day, date) &&
         vantle::TryEncodeTime(hour, minute, second, 0, time) &&
         vantle::ComposeDateTime(date, time) == value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantle::TRFC822DateTime date;
  date.TimeZone = "zone";
  date.ParseRFC822(vantle::fuzz::AsText(data, size));
  vantle::fuzz::Require(date.TimeZone == "zone", "ParseRFC822 changed the time zone");
  vantle::fuzz::Require(date.DateTime == 0 || IsWholeSecondOfCalendar(date.DateTime),
                        "ParseRFC822 gave a value that is no whole second of a calendar day");
  return 0;
}
