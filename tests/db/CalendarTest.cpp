#include "db/Calendar.h"

#include <gtest/gtest.h>

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
