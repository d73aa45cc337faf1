#pragma once

#include <string>
#include <string_view>

namespace vantle {

// Days since 30 December 1899 (day 0); the fraction is the time of day. A plain clock
// reading without time zone.
using TDateTime = double;

// Calendar helpers over TDateTime (proleptic Gregorian calendar).
// True when year 1..9999, month 1..12 and day 1..last day of the month form a date.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// True when hour 0..23, minute 0..59, second 0..59 and millisecond 0..999 form a time.
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
// Splits a date-time into its calendar fields; the milliseconds are rounded. Raises
// vantle::Exception for a value outside years 1..9999 or not a number.
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond);
// The date plus the time of day; before day 0 the time is added to the day's absolute value,
// so that the result decodes to that day and time.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// The local date and time now, to the millisecond.
TDateTime Now();

// A feed date: a date-time and the time-zone text that came with it.
class TRFC822DateTime {
 public:
  // DateTime := the local date and time now; TimeZone := "GMT".
  TRFC822DateTime();

  TDateTime DateTime;
  std::string TimeZone;

  // Reads an RFC 822 date ('Tue, 02 Mar 2004 10:20:30 GMT'); an unreadable text gives 0.
  // TimeZone is left alone. Never raises.
  void ParseRFC822(std::string_view text);
  // Reads a W3C ISO 8601 date ('2004-03-02T10:20:30Z'); the rest after the seconds becomes
  // TimeZone; an unreadable date gives the local date and time now. Never raises.
  void ParseISO8601(std::string_view text);
};

}  // namespace vantle
