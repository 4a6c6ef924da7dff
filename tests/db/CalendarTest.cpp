#include "db/Calendar.h"
#include "jet/base/Error.h"
#include "jet/encode/ValueParse.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(Calendar, CountsDaysFromTheEpochBothWays) {
    EXPECT_EQ(*db::toAccessDays({1899, 12, 30}), 0.0);
    EXPECT_EQ(*db::toAccessDays({1900, 1, 1}), 2.0);
    EXPECT_EQ(*db::toAccessDays({2000, 2, 29, 12}), 36585.5);
    // Before the epoch the time of day still counts forwards: 1899-12-29 06:00 is -1.25.
    EXPECT_EQ(*db::toAccessDays({1899, 12, 29, 6}), -1.25);
    EXPECT_EQ(db::formatAccessDate(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(db::formatAccessDate(36585.5), "2000-02-29 12:00:00");
    EXPECT_EQ(db::formatAccessDate(0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(db::formatAccessDate(2958465.9999999), "10000-01-01 00:00:00");
}

TEST(Calendar, RoundsToTheNearestSecondAcrossMidnight) {
    const double almostMidnight = 43830 + (86400 - 0.4) / 86400; // 2019-12-31 23:59:59.6
    EXPECT_EQ(db::formatAccessDate(almostMidnight), "2020-01-01 00:00:00");
    EXPECT_EQ(db::formatAccessDate(-1 - (86400 - 0.4) / 86400), "1899-12-30 00:00:00");
}

TEST(Calendar, RefusesImpossibleDates) {
    EXPECT_FALSE(db::toAccessDays({2021, 2, 29}));
    EXPECT_FALSE(db::toAccessDays({2021, 13, 1}));
    EXPECT_FALSE(db::toAccessDays({2021, 1, 1, 24}));
    EXPECT_TRUE(db::toAccessDays({2024, 2, 29}));
}

// A date the data layer takes from SQL is one the engine takes from its printed form, and the other
// way round, with the same day count: one rule for both (no 1900-02-29, years 100 to 9999).
TEST(Calendar, TheDataLayerAndTheEngineTakeTheSameDates) {
    const struct {
        db::CivilTime t;
        bool valid;
    } cases[] = {{{1900, 2, 29}, false},   {{2000, 2, 29}, true},         {{2100, 2, 29}, false},
                 {{100, 1, 1}, true},      {{99, 12, 31}, false},         {{9999, 12, 31, 23, 59, 59}, true},
                 {{2021, 4, 31}, false},   {{2021, 1, 1, 23, 60}, false}, {{2021, 1, 1, 0, 0, 60}, false},
                 {{1899, 12, 29, 6}, true}};
    for (const auto& c : cases) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.t.year, c.t.month, c.t.day,
                      c.t.hour, c.t.minute, c.t.second);
        const std::optional<double> fromSql = db::toAccessDays(c.t);
        std::optional<double> fromText;
        try {
            fromText = jet::parseDateTime(text);
        } catch (const jet::Error&) {
        }
        EXPECT_EQ(fromSql.has_value(), c.valid) << text;
        EXPECT_EQ(fromText, fromSql) << text;
    }
}
