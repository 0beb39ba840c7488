#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/System.h"

// The clock, behind a small interface so that tests fix the moment and the
// formats, and the date helpers. Two notations of date pictures are in use,
// each with its own formatter: the locale's (FormatPicture, where "M" is the
// month and "m" the minute) and the key dates' (FormatKeyDate, where "m" is
// the month and "n" the minute).
namespace vp {

// A date as days since 1899-12-30 (fractions are the time of day); 0 means
// unknown.
using DateTime = double;

struct LocalTime {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The locale's date and time pictures in the system's notation (d, dd, ddd,
// dddd, M, MM, MMM, MMMM, y, yy, yyyy, h, hh, H, HH, m, mm, s, ss, t, tt and
// text in single quotes) and its decimal separator.
struct LocaleFormats {
  std::string shortDate = "M/d/yyyy";
  std::string longTime = "h:mm:ss tt";
  char decimalSeparator = '.';
  std::string amText = "AM";
  std::string pmText = "PM";
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds since some fixed moment (start of the system).
  virtual uint64_t TickCount() const = 0;
  virtual LocaleFormats Formats() const = 0;
};

// The machine's clock (local time) with the default formats above.
const Clock& SystemClock();

// Formats a moment by a date or time picture in the locale's notation.
std::string FormatPicture(std::string_view picture, const LocalTime& t, const LocaleFormats& formats);

// Short date, a blank and long time; the date alone at exactly midnight.
std::string FormatDateTime(const LocalTime& t, const LocaleFormats& formats);

// Days since 30 December 1899, the time of day as the fraction.
double DayNumber(const LocalTime& t);

// The moment of a day number, to the nearest second (proleptic Gregorian).
LocalTime FromDayNumber(DateTime date);

// The whole day number of today (local time, rounded to the nearest day).
int32_t TodayDayNumber();

// A FILETIME (100 ns since 1601, UTC) as a date.
DateTime FileTimeToDateTime(uint64_t fileTime);

// The date converted from UTC to local time by the time-zone state.
DateTime UtcToLocal(DateTime date, const platform::TimeZoneState& zone);

// A date formatted in the key dates' notation: yyyy, yy, mm, m, dd, d, hh,
// h, nn, n, ss, s (month numbers with m, minutes with n, any case); text in
// double or single quotes is copied. An empty format gives
// "yyyy-mm-dd hh:nn:ss".
std::string FormatKeyDate(const std::string& format, DateTime date);

// A number in general format with up to 15 significant digits, with the
// locale's decimal separator ("46027.5", "1", "0.25").
std::string FloatText(double value, char decimalSeparator);

// "DD.MM.YYYY" and "HH:NN:SS", fixed whatever the locale.
std::string FixedDate(const LocalTime& t);
std::string FixedTime(const LocalTime& t);

}  // namespace vp
