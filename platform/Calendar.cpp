#include "platform/Calendar.h"

namespace {

constexpr uint64_t kTicksPerMs = 10000;
constexpr uint64_t kMsPerDay = 86400000;
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;
// Days in the Gregorian cycles that years since 1601 fall into.
constexpr uint64_t kDaysPer400Years = 146097;
constexpr uint64_t kDaysPer100Years = 36524;
constexpr uint64_t kDaysPer4Years = 1461;
constexpr uint64_t kDaysPerYear = 365;
// Days before each month in a common year.
constexpr uint16_t kDaysBeforeMonth[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysBefore(int year, int month) {
    return kDaysBeforeMonth[month - 1] + (month > 2 && IsLeapYear(year) ? 1 : 0);
}

int DaysInMonth(int year, int month) { return DaysBefore(year, month + 1) - DaysBefore(year, month); }

}  // namespace

bool SystemTimeToFileTime(const SystemTime& time, FileTime* result) {
    const int year = time.year;
    if (year < kFirstYear || year > kLastYear || time.month < 1 || time.month > 12) return false;
    if (time.day < 1 || time.day > DaysInMonth(year, time.month)) return false;
    if (time.hour > 23 || time.minute > 59 || time.second > 59 || time.milliseconds > 999) return false;

    const uint64_t years = static_cast<uint64_t>(year - kFirstYear);
    const uint64_t days = years * kDaysPerYear + years / 4 - years / 100 + years / 400 +
                          static_cast<uint64_t>(DaysBefore(year, time.month)) + time.day - 1;
    const uint64_t ms = ((static_cast<uint64_t>(time.hour) * 60 + time.minute) * 60 + time.second) * 1000 +
                        time.milliseconds;
    *result = (days * kMsPerDay + ms) * kTicksPerMs;
    return true;
}

bool FileTimeToSystemTime(FileTime time, SystemTime* result) {
    const uint64_t totalMs = time / kTicksPerMs;
    const uint64_t days = totalMs / kMsPerDay;
    uint64_t msOfDay = totalMs % kMsPerDay;

    uint64_t rest = days % kDaysPer400Years;
    uint64_t centuries = rest / kDaysPer100Years;
    if (centuries == 4) centuries = 3;  // the last day of a 400-year cycle
    rest -= centuries * kDaysPer100Years;
    const uint64_t quads = rest / kDaysPer4Years;
    rest -= quads * kDaysPer4Years;
    uint64_t singles = rest / kDaysPerYear;
    if (singles == 4) singles = 3;  // the last day of a leap year
    rest -= singles * kDaysPerYear;

    const uint64_t year = kFirstYear + days / kDaysPer400Years * 400 + centuries * 100 + quads * 4 + singles;
    if (year > static_cast<uint64_t>(kLastYear)) return false;

    const int y = static_cast<int>(year);
    const int dayOfYear = static_cast<int>(rest);
    int month = 1;
    while (month < 12 && DaysBefore(y, month + 1) <= dayOfYear) ++month;

    result->year = static_cast<uint16_t>(y);
    result->month = static_cast<uint16_t>(month);
    result->day = static_cast<uint16_t>(dayOfYear - DaysBefore(y, month) + 1);
    result->dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    result->milliseconds = static_cast<uint16_t>(msOfDay % 1000);
    msOfDay /= 1000;
    result->second = static_cast<uint16_t>(msOfDay % 60);
    msOfDay /= 60;
    result->minute = static_cast<uint16_t>(msOfDay % 60);
    result->hour = static_cast<uint16_t>(msOfDay / 60);
    return true;
}
