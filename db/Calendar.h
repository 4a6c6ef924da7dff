#pragma once
// Access dates for the data layer: a count of days since 1899-12-30, the fraction being the time
// of day. Before that day the whole part counts backwards while the fraction still counts
// forwards: -1.25 is 1899-12-29 06:00. The arithmetic is the engine's.

#include <optional>
#include <string>

namespace db {

struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

// Days since 1899-12-30 of a date and time; nullopt when a field is out of range (years 100 to
// 9999, as Access takes them).
std::optional<double> toAccessDays(const CivilTime& t);

// "YYYY-MM-DD HH:MM:SS", to the nearest second.
std::string formatAccessDate(double days);

} // namespace db
