#include "processing/WeekRollover.h"

namespace {

constexpr uint64_t kFileTimePerDay = 864000000000ull;

}  // namespace

bool WeekRollover::DayNumber(int year, int month, int day, int32_t* number) {
    SystemTime date{};
    date.year = static_cast<uint16_t>(year);
    date.month = static_cast<uint16_t>(month);
    date.day = static_cast<uint16_t>(day);
    FileTime time = 0;
    if (!SystemTimeToFileTime(date, &time)) return false;
    *number = static_cast<int32_t>(time / kFileTimePerDay);
    return true;
}

int32_t WeekRollover::Correct(GpsFix& fix, const SystemTime& today) const {
    if (rule_ == Rule::Keep) return 0;
    int32_t fixDay = 0;
    int32_t todayDay = 0;
    if (!DayNumber(2000 + fix.year, fix.month, fix.day, &fixDay) ||
        !DayNumber(today.year, today.month, today.day, &todayDay)) {
        return 0;
    }
    // Whole periods that bring the date up to today, two weeks' slack either way.
    const int32_t periods = (todayDay - fixDay + kSlackDays) / kPeriodDays;
    if (todayDay - fixDay + kSlackDays < kPeriodDays) return 0;
    const int32_t moved = fixDay + periods * kPeriodDays;
    if (rule_ == Rule::NearToday && (moved < todayDay - kSlackDays || moved > todayDay + kSlackDays)) return 0;
    SystemTime date{};
    if (!FileTimeToSystemTime(static_cast<FileTime>(moved) * kFileTimePerDay, &date) || date.year < 2000 ||
        date.year > 2099) {
        return 0;
    }
    fix.year = static_cast<uint8_t>(date.year - 2000);
    fix.month = static_cast<uint8_t>(date.month);
    fix.day = static_cast<uint8_t>(date.day);
    return periods * 1024;
}
