#include "core/Clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace vp {
namespace {

constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

// Days from 1 March of year 0 style civil count (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::string Padded(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

class MachineClock : public Clock {
 public:
  LocalTime Now() const override {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm parts{};
    {
      static std::mutex mutex;  // std::localtime shares one buffer
      std::lock_guard lock(mutex);
      if (const std::tm* local = std::localtime(&seconds)) parts = *local;
    }
    LocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    t.millisecond = static_cast<int>(ms < 0 ? 0 : ms);
    return t;
  }
  uint64_t TickCount() const override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  LocaleFormats Formats() const override { return LocaleFormats{}; }
};

}  // namespace

const Clock& SystemClock() {
  static const MachineClock clock;
  return clock;
}

std::string FormatPicture(std::string_view picture, const LocalTime& t, const LocaleFormats& formats) {
  std::string out;
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {  // quoted text; '' inside quotes is one quote
      ++i;
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += picture[i++];
      }
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    switch (c) {
      case 'd':
        if (run == 1)
          out += std::to_string(t.day);
        else if (run == 2)
          out += Padded(t.day, 2);
        else {
          const int weekday = static_cast<int>(((DaysFromCivil(t.year, t.month, t.day) % 7) + 11) % 7);
          const std::string name = kDayNames[weekday];
          out += run == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'M':
        if (run == 1)
          out += std::to_string(t.month);
        else if (run == 2)
          out += Padded(t.month, 2);
        else {
          const std::string name = (t.month >= 1 && t.month <= 12) ? kMonthNames[t.month - 1] : "";
          out += run == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'y':
        if (run <= 2)
          out += run == 1 ? std::to_string(t.year % 100) : Padded(t.year % 100, 2);
        else
          out += Padded(t.year, 4);
        break;
      case 'g':
        out += "A.D.";
        break;
      case 'h': {
        const int h12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
        out += run == 1 ? std::to_string(h12) : Padded(h12, 2);
        break;
      }
      case 'H':
        out += run == 1 ? std::to_string(t.hour) : Padded(t.hour, 2);
        break;
      case 'm':
        out += run == 1 ? std::to_string(t.minute) : Padded(t.minute, 2);
        break;
      case 's':
        out += run == 1 ? std::to_string(t.second) : Padded(t.second, 2);
        break;
      case 't': {
        const std::string& marker = t.hour < 12 ? formats.amText : formats.pmText;
        out += run == 1 ? marker.substr(0, 1) : marker;
        break;
      }
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

std::string FormatDateTime(const LocalTime& t, const LocaleFormats& formats) {
  std::string text = FormatPicture(formats.shortDate, t, formats);
  if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) {
    text += ' ';
    text += FormatPicture(formats.longTime, t, formats);
  }
  return text;
}

double DayNumber(const LocalTime& t) {
  const int64_t days = DaysFromCivil(t.year, t.month, t.day) - DaysFromCivil(1899, 12, 30);
  const double fraction = ((t.hour * 60.0 + t.minute) * 60.0 + t.second + t.millisecond / 1000.0) / 86400.0;
  return static_cast<double>(days) + fraction;
}

std::string FloatText(double value, char decimalSeparator) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

std::string FixedDate(const LocalTime& t) {
  return Padded(t.day, 2) + "." + Padded(t.month, 2) + "." + Padded(t.year, 4);
}

std::string FixedTime(const LocalTime& t) {
  return Padded(t.hour, 2) + ":" + Padded(t.minute, 2) + ":" + Padded(t.second, 2);
}

LocalTime FromDayNumber(DateTime date) {
  double whole = std::floor(date);
  int64_t seconds = std::llround((date - whole) * 86400.0);
  if (seconds >= 86400) {
    whole += 1;
    seconds -= 86400;
  }
  // Civil date from a day count (days since 1970-01-01).
  const int64_t z = static_cast<int64_t>(whole) - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  t.millisecond = 0;
  return t;
}

int32_t TodayDayNumber() {
  return static_cast<int32_t>(std::lround(DayNumber(SystemClock().Now())));
}

DateTime FileTimeToDateTime(uint64_t fileTime) {
  // 109205 days lie between 1601-01-01 and 1899-12-30.
  return static_cast<double>(fileTime) / 864000000000.0 - 109205.0;
}

DateTime UtcToLocal(DateTime date, const platform::TimeZoneState& zone) {
  if (zone.kind == platform::TimeZoneState::Standard) return date - zone.bias / 1440.0;
  if (zone.kind == platform::TimeZoneState::Daylight) return date - (zone.bias + zone.daylightBias) / 1440.0;
  return date;
}

std::string FormatKeyDate(const std::string& format, DateTime date) {
  const LocalTime t = FromDayNumber(date);
  const int fields[] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
  const std::string picture = format.empty() ? "yyyy-mm-dd hh:nn:ss" : format;
  std::string result;
  for (size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      const size_t close = picture.find(c, i + 1);
      const size_t end = close == std::string::npos ? picture.size() : close;
      result.append(picture, i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const size_t field = std::string_view("ymdhns").find(lower);
    if (field == std::string_view::npos) {
      result.append(picture, i, run);
    } else if (field == 0) {
      result += run == 2 ? Padded(t.year % 100, 2) : Padded(t.year, 4);
    } else {
      result += run >= 2 ? Padded(fields[field], 2) : std::to_string(fields[field]);
    }
    i += run;
  }
  return result;
}

}  // namespace vp
