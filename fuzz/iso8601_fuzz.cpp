#include "FuzzSupport.h"
#include "RFC822DateTime.h"

namespace {

bool IsCalendarValue(vantle::TDateTime value) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  vantle::DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  vantle::TDateTime date = 0;
  return vantle::TryEncodeDate(year, month, day, date);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = vantle::fuzz::AsText(data, size);
  vantle::TRFC822DateTime date;
  date.TimeZone = "";
  date.ParseISO8601(text);
  vantle::fuzz::Require(date.TimeZone.empty() || text.ends_with(date.TimeZone),
                        "ParseISO8601 set a zone that is not the end of the text");
  vantle::fuzz::Require(IsCalendarValue(date.DateTime),
                        "ParseISO8601 gave a value outside the calendar");
  return 0;
}
