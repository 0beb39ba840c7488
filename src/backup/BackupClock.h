#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Time and locale as the backup writer needs them, behind a small interface
// so that tests fix the moment and the formats.
namespace vp::backup {

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

class BackupClock {
 public:
  virtual ~BackupClock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds since some fixed moment (start of the system).
  virtual uint64_t TickCount() const = 0;
  virtual LocaleFormats Formats() const = 0;
};

// The machine's clock (local time) with the default formats above.
const BackupClock& SystemBackupClock();

// Formats a moment by a date or time picture.
std::string FormatPicture(std::string_view picture, const LocalTime& t, const LocaleFormats& formats);

// Short date, a blank and long time; the date alone at exactly midnight.
std::string FormatDateTime(const LocalTime& t, const LocaleFormats& formats);

// Days since 30 December 1899, the time of day as the fraction.
double DayNumber(const LocalTime& t);

// A number in general format with up to 15 significant digits, with the
// locale's decimal separator ("46027.5", "1", "0.25").
std::string FloatText(double value, char decimalSeparator);

// "DD.MM.YYYY" and "HH:NN:SS", fixed whatever the locale.
std::string FixedDate(const LocalTime& t);
std::string FixedTime(const LocalTime& t);

}  // namespace vp::backup
