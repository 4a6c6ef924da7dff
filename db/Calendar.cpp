#include "db/Calendar.h"

#include "jet/Jet.h"

namespace db {

std::optional<double> toAccessDays(const CivilTime& t) {
    if (!jet::isValidDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second)) return std::nullopt;
    return jet::dateTimeValue(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day),
                              static_cast<unsigned>(t.hour * 3600 + t.minute * 60 + t.second));
}

std::string formatAccessDate(double days) {
    return jet::formatDateTime(days);
}

} // namespace db
