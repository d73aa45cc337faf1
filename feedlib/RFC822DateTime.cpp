#include "RFC822DateTime.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>
#include <utility>

#include "Exception.h"
#include "SimpleRSSConst.h"

namespace vantle {

namespace {

constexpr std::int64_t kMSecsPerDay = 86'400'000;
// Day numbers of 1 January 1 and of 1 January 10000.
constexpr double kFirstDay = -693593.0;
constexpr double kDayAfterLast = 2958466.0;
// Days from 1 January 1970 back to day 0.
constexpr std::int64_t kUnixDayOfDayZero = -25569;

constexpr std::array<std::string_view, 12> kMonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 7> kDayNames = {"SUN", "MON", "TUE", "WED",
                                                       "THU", "FRI", "SAT"};

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Proleptic Gregorian day count relative to 1 January 1970.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimLeft(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && IsBlankOrControl(text[first])) ++first;
  return text.substr(first);
}

std::string_view Trim(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlankOrControl(text[end - 1])) --end;
  return TrimLeft(text.substr(0, end));
}

// Whether `text` equals `upper` (upper-case letters) when its ASCII letters are raised.
bool EqualsUpperAscii(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != upper[i]) return false;
  }
  return true;
}

// Takes the part of `text` before the first `delimiter` and removes it with the delimiter; without
// a delimiter takes the whole text.
std::string_view CutToken(std::string_view& text, char delimiter) {
  const std::size_t at = text.find(delimiter);
  if (at == std::string_view::npos) return std::exchange(text, std::string_view());
  const std::string_view token = text.substr(0, at);
  text.remove_prefix(at + 1);
  return token;
}

// Leading spaces, an optional sign, then only decimal digits fitting a 32-bit integer; anything
// else gives `fallback`. Hexadecimal forms are not taken.
int StrToIntDef(std::string_view text, int fallback) {
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) return fallback;
  const bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  if (at == text.size()) return fallback;
  const std::int64_t limit = std::int64_t{std::numeric_limits<int>::max()} + (negative ? 1 : 0);
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c < '0' || c > '9') return fallback;
    value = value * 10 + (c - '0');
    if (value > limit) return fallback;
  }
  return static_cast<int>(negative ? -value : value);
}

// 1..12 for a month abbreviation in any case, 0 for anything else.
int MonthIndex(std::string_view token) {
  for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
    if (EqualsUpperAscii(token, kMonthNames[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool StartsWithDayName(std::string_view text) {
  const std::string_view head = text.substr(0, 3);
  for (std::string_view name : kDayNames) {
    if (EqualsUpperAscii(head, name)) return true;
  }
  return false;
}

// '-' when the first dash comes after the first character and before the first space.
char DayMonthSeparator(std::string_view text) {
  const std::size_t dash = text.find('-');
  const std::size_t space = text.find(' ');
  return dash != std::string_view::npos && dash >= 1 && space != std::string_view::npos &&
                 dash < space
             ? '-'
             : ' ';
}

int CutDay(std::string_view& text, char separator) {
  const int day = StrToIntDef(CutToken(text, separator), 1);
  text = TrimLeft(text);
  return day;
}

int CutMonth(std::string_view& text, char separator) {
  const int month = MonthIndex(CutToken(text, separator));
  text = TrimLeft(text);
  return month;
}

// A year that does not read (or reads 1900) may follow the clock time, as in
// 'Tue Mar 02 10:20:30 2004'; then the rest is the year and the cut token what remains.
int CutYear(std::string_view& text) {
  const std::string_view token = CutToken(text, ' ');
  int year = StrToIntDef(token, 1900);
  if (year == 1900) {
    year = StrToIntDef(text, 1900);
    text = token;
  }
  return year;
}

int WidenTwoDigitYear(int year) {
  if (year < 80) return year + 2000;
  if (year < 100) return year + 1900;
  return year;
}

bool TryReadClockTime(std::string_view token, TDateTime& time) {
  const int hour = StrToIntDef(CutToken(token, ':'), 0);
  const int minute = StrToIntDef(CutToken(token, ':'), 0);
  const int second = StrToIntDef(CutToken(token, ' '), 0);
  return TryEncodeTime(hour, minute, second, 0, time);
}

// The RFC 822 reading; 0 when the text does not form a date and time.
TDateTime ReadRFC822(std::string_view text) {
  std::string_view rest = Trim(text);
  if (rest.empty()) return 0;
  if (StartsWithDayName(rest)) {
    CutToken(rest, ' ');
    rest = TrimLeft(rest);
  }
  const char separator = DayMonthSeparator(rest);
  std::string_view lookahead = rest;
  int day = 0;
  int month = 0;
  if (MonthIndex(CutToken(lookahead, separator)) != 0) {
    month = CutMonth(rest, separator);
    day = CutDay(rest, separator);
  } else {
    day = CutDay(rest, separator);
    month = CutMonth(rest, separator);
  }
  const int year = WidenTwoDigitYear(CutYear(rest));
  TDateTime date = 0;
  if (!TryEncodeDate(year, month, day, date)) return 0;
  if (rest.find(':') == std::string_view::npos) return date;
  TDateTime time = 0;
  if (!TryReadClockTime(CutToken(rest, ' '), time)) return 0;
  return ComposeDateTime(date, time);
}

// The next ISO field up to `delimiter`, or 0 once the text is used up.
int CutField(std::string_view& text, char delimiter) {
  return text.empty() ? 0 : StrToIntDef(CutToken(text, delimiter), 0);
}

int CutTwoDigitSecond(std::string_view& text) {
  if (text.empty()) return 0;
  const std::string_view token = text.substr(0, 2);
  text.remove_prefix(token.size());
  return StrToIntDef(token, 0);
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  const std::int64_t unixDay =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  result = static_cast<TDateTime>(unixDay - kUnixDayOfDayZero);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return false;
  }
  const std::int64_t msecs =
      ((std::int64_t{hour} * 60 + minute) * 60 + second) * 1000 + millisecond;
  result = static_cast<TDateTime>(msecs) / static_cast<TDateTime>(kMSecsPerDay);
  return true;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  return date < 0 ? date - std::fabs(time) : date + std::fabs(time);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond) {
  if (!std::isfinite(value) || value <= kFirstDay - 1 || value >= kDayAfterLast) {
    throw Exception("Invalid date-time value");
  }
  const double wholeDays = std::trunc(value);
  auto dayNumber = static_cast<std::int64_t>(wholeDays);
  auto msecs = static_cast<std::int64_t>(
      std::llround(std::fabs(value - wholeDays) * static_cast<double>(kMSecsPerDay)));
  if (msecs >= kMSecsPerDay) {
    msecs -= kMSecsPerDay;
    ++dayNumber;
  }
  CivilFromDays(dayNumber + kUnixDayOfDayZero, year, month, day);
  millisecond = static_cast<int>(msecs % 1000);
  second = static_cast<int>(msecs / 1000 % 60);
  minute = static_cast<int>(msecs / 60'000 % 60);
  hour = static_cast<int>(msecs / 3'600'000);
}

TDateTime Now() {
  using namespace std::chrono;
  const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
  const auto wholeSeconds = floor<seconds>(sinceEpoch);
  const std::time_t clock = static_cast<std::time_t>(wholeSeconds.count());
  std::tm local{};
  localtime_r(&clock, &local);
  TDateTime date = 0;
  TDateTime time = 0;
  TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
  // A leap second reads as the last second of its minute.
  TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                static_cast<int>((sinceEpoch - wholeSeconds).count()), time);
  return ComposeDateTime(date, time);
}

TRFC822DateTime::TRFC822DateTime() : DateTime(Now()), TimeZone(sDefaultTimeZone) {}

void TRFC822DateTime::ParseRFC822(std::string_view text) {
  DateTime = ReadRFC822(text);
}

void TRFC822DateTime::ParseISO8601(std::string_view text) {
  std::string_view rest = text;
  const int year = StrToIntDef(CutToken(rest, '-'), 0);
  const int month = CutField(rest, '-');
  const int day = CutField(rest, 'T');
  const int hour = CutField(rest, ':');
  const int minute = CutField(rest, ':');
  const int second = CutTwoDigitSecond(rest);
  if (!rest.empty()) TimeZone = rest;
  TDateTime date = 0;
  TDateTime time = 0;
  if (TryEncodeDate(year, month, day, date) && TryEncodeTime(hour, minute, second, 0, time)) {
    DateTime = ComposeDateTime(date, time);
  } else {
    DateTime = Now();
  }
}

}  // namespace vantle
