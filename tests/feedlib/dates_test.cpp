#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "Exception.h"
#include "RFC822DateTime.h"

namespace vantle {
namespace {

TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             int millisecond = 0) {
  TDateTime date = 0;
  TDateTime time = 0;
  EXPECT_TRUE(TryEncodeDate(year, month, day, date)) << year << '-' << month << '-' << day;
  EXPECT_TRUE(TryEncodeTime(hour, minute, second, millisecond, time));
  return ComposeDateTime(date, time);
}

// Reading never rounds: equal fields must give the same double.
void ExpectFields(TDateTime value, int year, int month, int day, int hour, int minute, int second,
                  int millisecond) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  EXPECT_EQ(y, year);
  EXPECT_EQ(mo, month);
  EXPECT_EQ(d, day);
  EXPECT_EQ(h, hour);
  EXPECT_EQ(mi, minute);
  EXPECT_EQ(s, second);
  EXPECT_EQ(ms, millisecond);
}

TRFC822DateTime ReadRFC822(std::string_view text, std::string zone = "+0900") {
  TRFC822DateTime date;
  date.TimeZone = std::move(zone);
  date.ParseRFC822(text);
  return date;
}

TRFC822DateTime ReadISO8601(std::string_view text, std::string zone = "+0900") {
  TRFC822DateTime date;
  date.TimeZone = std::move(zone);
  date.ParseISO8601(text);
  return date;
}

// The reading fell back to the clock: its value lies between two readings of Now().
void ExpectNowFallback(std::string_view text) {
  const TDateTime before = Now();
  const TRFC822DateTime date = ReadISO8601(text);
  const TDateTime after = Now();
  EXPECT_GE(date.DateTime, before) << text;
  EXPECT_LE(date.DateTime, after) << text;
}

TEST(CalendarHelpers, CountDaysFromTheEndOf1899) {
  TDateTime value = -1;
  ASSERT_TRUE(TryEncodeDate(1899, 12, 30, value));
  EXPECT_EQ(value, 0);
  ASSERT_TRUE(TryEncodeDate(1900, 1, 1, value));
  EXPECT_EQ(value, 2);
  ASSERT_TRUE(TryEncodeDate(2000, 1, 1, value));
  EXPECT_EQ(value, 36526);
  ASSERT_TRUE(TryEncodeDate(2004, 3, 2, value));
  EXPECT_EQ(value, 38048);
  ASSERT_TRUE(TryEncodeDate(1, 1, 1, value));
  EXPECT_EQ(value, -693593);
  ASSERT_TRUE(TryEncodeDate(9999, 12, 31, value));
  EXPECT_EQ(value, 2958465);
  ASSERT_TRUE(TryEncodeTime(12, 0, 0, 0, value));
  EXPECT_EQ(value, 0.5);
  ASSERT_TRUE(TryEncodeTime(6, 0, 0, 0, value));
  EXPECT_EQ(value, 0.25);
}

TEST(CalendarHelpers, RejectFieldsOutsideTheGregorianCalendar) {
  TDateTime value = 0;
  EXPECT_TRUE(TryEncodeDate(2004, 2, 29, value));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, value));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, value));
  EXPECT_FALSE(TryEncodeDate(2003, 2, 29, value));
  EXPECT_FALSE(TryEncodeDate(2004, 4, 31, value));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
  EXPECT_FALSE(TryEncodeDate(2004, 0, 1, value));
  EXPECT_FALSE(TryEncodeDate(2004, 13, 1, value));
  EXPECT_FALSE(TryEncodeDate(2004, 1, 0, value));
  EXPECT_FALSE(TryEncodeDate(2004, 1, 32, value));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, value));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, value));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, value));
  EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, value));
  EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, value));
}

TEST(CalendarHelpers, DecodeWhatTheyEncodeAcrossTheWholeRange) {
  for (int year = 1; year <= 9999; year += 37) {
    for (int month = 1; month <= 12; month += 5) {
      const int day = 1 + (year + month) % 28;
      ExpectFields(At(year, month, day, 13, 45, 7, 250), year, month, day, 13, 45, 7, 250);
    }
  }
  ExpectFields(At(2004, 2, 29, 23, 59, 59, 999), 2004, 2, 29, 23, 59, 59, 999);
  ExpectFields(At(9999, 12, 31, 23, 59, 59, 999), 9999, 12, 31, 23, 59, 59, 999);
  ExpectFields(At(1, 1, 1), 1, 1, 1, 0, 0, 0, 0);
}

TEST(CalendarHelpers, AddTheTimeToTheAbsoluteValueBeforeDayZero) {
  EXPECT_EQ(At(1899, 12, 29, 12), -1.5);
  EXPECT_EQ(At(1899, 12, 28, 6), -2.25);
  ExpectFields(-1.5, 1899, 12, 29, 12, 0, 0, 0);
  ExpectFields(-0.25, 1899, 12, 30, 6, 0, 0, 0);
  ExpectFields(At(1850, 7, 14, 8, 30), 1850, 7, 14, 8, 30, 0, 0);
}

TEST(CalendarHelpers, RoundTheMillisecondIntoTheNextDay) {
  const TDateTime almostMidnight = At(2004, 3, 2) + (86'400'000.0 - 0.4) / 86'400'000.0;
  ExpectFields(almostMidnight, 2004, 3, 3, 0, 0, 0, 0);
  const TDateTime almostMidnightBefore1899 = At(1899, 12, 28) - (86'400'000.0 - 0.4) / 86'400'000.0;
  ExpectFields(almostMidnightBefore1899, 1899, 12, 29, 0, 0, 0, 0);
}

TEST(CalendarHelpers, RefuseToDecodeValuesThatAreNoDate) {
  int f = 0;
  for (TDateTime bad :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0}) {
    EXPECT_THROW(DecodeDateTime(bad, f, f, f, f, f, f, f), Exception) << bad;
  }
}

TEST(FeedDate, StartsAtTheLocalTimeNowWithTheZoneGMT) {
  const TDateTime before = Now();
  const TRFC822DateTime date;
  const TDateTime after = Now();
  EXPECT_EQ(date.TimeZone, "GMT");
  EXPECT_GE(date.DateTime, before);
  EXPECT_LE(date.DateTime, after);
  EXPECT_GT(before, At(2020, 1, 1));
}

TEST(RFC822Date, ReadsTheClockTimeAsWrittenWhateverTheZone) {
  for (std::string_view text :
       {"Tue, 02 Mar 2004 10:20:30 GMT", "Tue, 02 Mar 2004 10:20:30 +0100",
        "02 Mar 2004 10:20:30 EST", "02-Mar-2004 10:20:30", "Tue Mar 02 10:20:30 2004",
        "Tuesday, 02 Mar 2004 10:20:30", "Tue,  02   Mar  2004 10:20:30",
        "  tue, 02 mar 2004 10:20:30\t\r\n"}) {
    const TRFC822DateTime date = ReadRFC822(text);
    EXPECT_EQ(date.DateTime, At(2004, 3, 2, 10, 20, 30)) << text;
    EXPECT_EQ(date.TimeZone, "+0900") << text;
  }
}

TEST(RFC822Date, ReadsShortYearsAndMissingParts) {
  EXPECT_EQ(ReadRFC822("2 Mar 99").DateTime, At(1999, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 04 10:20").DateTime, At(2004, 3, 2, 10, 20));
  EXPECT_EQ(ReadRFC822("Mar 02 2004").DateTime, At(2004, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 79").DateTime, At(2079, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 80").DateTime, At(1980, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 100").DateTime, At(100, 3, 2));
  // A year of 1900 is taken as one that follows the time, so the time is lost.
  EXPECT_EQ(ReadRFC822("02 Mar 1900 10:20").DateTime, At(1900, 3, 2));
}

TEST(RFC822Date, ReadsDatesBefore1899WithTheirTime) {
  EXPECT_EQ(ReadRFC822("14 Jul 1850 08:30:15").DateTime, At(1850, 7, 14, 8, 30, 15));
  ExpectFields(ReadRFC822("14 Jul 1850 08:30:15").DateTime, 1850, 7, 14, 8, 30, 15, 0);
}

TEST(RFC822Date, GivesZeroForWhatDoesNotFormADate) {
  for (std::string_view text :
       {"02 March 2004", "31 Feb 2004", "02 Mar 2004 24:00:00", "02 Mar 2004 10:60",
        "02 Mar 2004 10:20:60", "", " \t\r\n", "2004-03-02T10:20:30Z", "02-Mar-2004",
        "02 Mar 10000", "Mar 2004", "-Mar-2004 10:20", "garbage", "Tue,", "02 Mar 2004 -1:20"}) {
    const TRFC822DateTime date = ReadRFC822(text);
    EXPECT_EQ(date.DateTime, 0) << text;
    EXPECT_EQ(date.TimeZone, "+0900") << text;
  }
}

TEST(RFC822Date, ReadsNumbersOnlyAsPlainDecimals) {
  EXPECT_EQ(ReadRFC822("+2 Mar 2004").DateTime, At(2004, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 2004 +10:+20:+30").DateTime, At(2004, 3, 2, 10, 20, 30));
  // Unreadable days fall back to the first of the month.
  EXPECT_EQ(ReadRFC822("0x2 Mar 2004").DateTime, At(2004, 3, 1));
  EXPECT_EQ(ReadRFC822("$2 Mar 2004").DateTime, At(2004, 3, 1));
  EXPECT_EQ(ReadRFC822("2nd Mar 2004").DateTime, At(2004, 3, 1));
  EXPECT_EQ(ReadRFC822("02 Mar 2004 1O:20").DateTime, At(2004, 3, 2, 0, 20));
}

TEST(RFC822Date, RefusesNumbersBeyondThirtyTwoBits) {
  // 2^32 + 2 and 2^32 + 2004 would read as 2 and 2004 if the conversion wrapped.
  EXPECT_EQ(ReadRFC822("4294967298 Mar 2004").DateTime, At(2004, 3, 1));
  EXPECT_EQ(ReadRFC822("2147483648 Mar 2004").DateTime, At(2004, 3, 1));
  // An unreadable year is taken as one that follows the time.
  EXPECT_EQ(ReadRFC822("02 Mar 4294969300").DateTime, At(1900, 3, 2));
  EXPECT_EQ(ReadRFC822("02 Mar 2004 4294967306:20").DateTime, At(2004, 3, 2, 0, 20));
  EXPECT_EQ(ReadRFC822("02 Mar 2147483647").DateTime, 0);
  EXPECT_EQ(ReadRFC822("02 Mar -2147483648").DateTime, 0);
  EXPECT_EQ(ReadRFC822("02 Mar " + std::string(100'000, '9')).DateTime, At(1900, 3, 2));
}

TEST(RFC822Date, SurvivesLongTextsAndEmbeddedNuls) {
  const std::string padded =
      std::string(1'000'000, ' ') + "02 Mar 2004 10:20:30" + std::string(1'000'000, '\n');
  EXPECT_EQ(ReadRFC822(padded).DateTime, At(2004, 3, 2, 10, 20, 30));
  EXPECT_EQ(ReadRFC822("02 Mar 2004 10:20:30 " + std::string(1'000'000, 'x')).DateTime,
            At(2004, 3, 2, 10, 20, 30));
  EXPECT_EQ(ReadRFC822(std::string(1'000'000, ':')).DateTime, 0);
  // A NUL is a character like any other, not the end of the text.
  const std::string nulInYear(
      "02 Mar 20\0"
      "04",
      12);
  EXPECT_EQ(ReadRFC822(nulInYear).DateTime, At(1900, 3, 2));
  const std::string nulAtEnd("02 Mar 2004 10:20:30\0", 21);
  EXPECT_EQ(ReadRFC822(nulAtEnd).DateTime, At(2004, 3, 2, 10, 20, 30));
}

TEST(ISO8601Date, TakesWhatFollowsTheSecondsAsTheZone) {
  struct Case {
    std::string_view text;
    std::string_view zone;
  };
  for (const Case& c :
       {Case{"2004-03-02T10:20:30Z", "Z"}, Case{"2004-03-02T10:20:30-05:00", "-05:00"},
        Case{"2004-03-02T10:20:30+01:00", "+01:00"}, Case{"2004-03-02T10:20:30.25Z", ".25Z"}}) {
    const TRFC822DateTime date = ReadISO8601(c.text);
    EXPECT_EQ(date.DateTime, At(2004, 3, 2, 10, 20, 30)) << c.text;
    EXPECT_EQ(date.TimeZone, c.zone) << c.text;
  }
}

TEST(ISO8601Date, LeavesTheZoneAloneWhenNothingFollowsTheFields) {
  TRFC822DateTime date = ReadISO8601("2004-03-02");
  EXPECT_EQ(date.DateTime, At(2004, 3, 2));
  EXPECT_EQ(date.TimeZone, "+0900");
  date = ReadISO8601("2004-03-02T10:20Z");
  EXPECT_EQ(date.DateTime, At(2004, 3, 2, 10));
  EXPECT_EQ(date.TimeZone, "+0900");
  date = ReadISO8601("2004-03-02T10:20:30");
  EXPECT_EQ(date.DateTime, At(2004, 3, 2, 10, 20, 30));
  EXPECT_EQ(date.TimeZone, "+0900");
  date = ReadISO8601("1850-07-14T08:30:15");
  ExpectFields(date.DateTime, 1850, 7, 14, 8, 30, 15, 0);
}

TEST(ISO8601Date, FallsBackToTheClockForWhatDoesNotFormADate) {
  for (std::string_view text : {"2004-13-02T10:20:30Z", "2004", "", "2004-02-30", "0000-01-01",
                                "2004-03-02T24:00:00", "2004-03-02T10:60:00", "2004-03-02T10:20:61",
                                "-2004-03-02", "2004-0x3-02", "2004-3 -02", "$7D4-03-02"}) {
    ExpectNowFallback(text);
  }
  EXPECT_EQ(ReadISO8601("2004-13-02T10:20:30Z").TimeZone, "Z");
  EXPECT_EQ(ReadISO8601("2004").TimeZone, "+0900");
}

TEST(ISO8601Date, ReadsSignsAndLeadingSpacesInFields) {
  EXPECT_EQ(ReadISO8601("2004-+3- 2T 10:+20: 3").DateTime, At(2004, 3, 2, 10, 20, 3));
}

TEST(ISO8601Date, SurvivesHugeNumbersLongTextsAndEmbeddedNuls) {
  // 2^32 + 2004 would read as 2004 if the conversion wrapped.
  ExpectNowFallback("4294969300-03-02");
  ExpectNowFallback(std::string(100'000, '7') + "-03-02");
  ExpectNowFallback(std::string(1'000'000, '-'));
  const std::string longZone(1'000'000, 'Z');
  const TRFC822DateTime date = ReadISO8601("2004-03-02T10:20:30" + longZone);
  EXPECT_EQ(date.DateTime, At(2004, 3, 2, 10, 20, 30));
  EXPECT_EQ(date.TimeZone, longZone);
  const TRFC822DateTime withNul = ReadISO8601(std::string("2004-03-02T10:20:30\0Z", 21));
  EXPECT_EQ(withNul.DateTime, At(2004, 3, 2, 10, 20, 30));
  EXPECT_EQ(withNul.TimeZone, std::string("\0Z", 2));
  ExpectNowFallback(
      std::string("20\0"
                  "04-03-02",
                  11));
}

}  // namespace
}  // namespace vantle
