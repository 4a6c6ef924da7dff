#pragma once
// Dates as Access stores them: a double counting days since 1899-12-30, the fraction being the time
// of day. Before that day the whole part counts backwards while the fraction still counts forwards:
// -1.25 is 1899-12-29 06:00. Access takes the years 100 to 9999. The reader, the writers and the
// data layer share these rules.

#include <cstdint>

namespace jet {

// 1970-01-01 in days since 1899-12-30.
inline constexpr std::int64_t UnixEpochDay = 25569;

// Whether Access takes this date and time: a year from 100 to 9999, a month from 1 to 12, a day its
// month has in the proleptic Gregorian calendar (so no 1900-02-29), a time from 00:00:00 to 23:59:59.
bool isValidDateTime(std::int64_t year, std::int64_t month, std::int64_t day, std::int64_t hour = 0,
                     std::int64_t minute = 0, std::int64_t second = 0);

// Days since 1899-12-30 of a civil date and a time of day in seconds.
double dateTimeValue(std::int64_t year, unsigned month, unsigned day, unsigned secondsOfDay);

// Days since 1970-01-01 of the proleptic Gregorian date y-m-d, and the date of such a count.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d);
void civilFromDays(std::int64_t days, std::int64_t& y, unsigned& m, unsigned& d);

} // namespace jet
