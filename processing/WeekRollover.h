#pragma once
#include <cstdint>
#include "nmea/GpsFix.h"
#include "platform/Calendar.h"

// Receivers whose firmware counts GPS weeks in 10 bits (older SiRF and MTK loggers)
// give dates 1024 weeks, or a multiple, too early once their epoch has passed: a drive
// today arrives dated 2007. This moves such a date forward by whole 1024-week periods.
class WeekRollover {
public:
    static constexpr int32_t kPeriodDays = 1024 * 7;
    static constexpr int32_t kSlackDays = 14;

    enum class Rule {
        Keep,       // a replay: the recording may really be that old
        NearToday,  // live: only a date that lands within two weeks of today
        Any,        // replay --fix-rollover: as many periods as keep it from passing today
    };

    void SetRule(Rule rule) { rule_ = rule; }
    Rule GetRule() const { return rule_; }
    // Moves the fix's date forward when the rule says so; the weeks moved, 0 for none.
    int32_t Correct(GpsFix& fix, const SystemTime& today) const;
    // The day number of a date on the proleptic Gregorian calendar; false for none.
    static bool DayNumber(int year, int month, int day, int32_t* number);

private:
    Rule rule_ = Rule::Keep;
};
