#include "db/Calendar.h"

#include "jet/Jet.h"

namespace db {

namespace {

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

} // namespace

std::optional<double> toAccessDays(const CivilTime& t) {
    if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
        t.second < 0 || t.second > 59)
        return std::nullopt;
    return jet::dateTimeValue(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day),
                              static_cast<unsigned>(t.hour * 3600 + t.minute * 60 + t.second));
}

std::string formatAccessDate(double days) {
    return jet::formatDateTime(days);
}

} // namespace db
