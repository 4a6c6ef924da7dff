#include "db/ValueText.h"
#include "db/sql/Parser.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

using db::valueText;
using db::Variant;

TEST(ValueText, NumbersReadBackExactlyWithAPoint) {
    // A regional setting with a decimal comma must not leak into the text.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(*valueText(Variant(3.5)), "3.5");
    EXPECT_EQ(*valueText(Variant(0.1)), "0.1");
    EXPECT_EQ(*valueText(Variant(0.1f)), "0.1");
    EXPECT_EQ(*valueText(Variant(-1e21)), "-1e+21");
    EXPECT_EQ(*valueText(Variant(std::int64_t{-9007199254740993})), "-9007199254740993");
    EXPECT_EQ(*valueText(Variant(db::Currency{-123400})), "-12.34");
    EXPECT_EQ(*valueText(Variant(db::Currency{50000})), "5");
    EXPECT_EQ(*valueText(Variant(db::Decimal{"10.2500"})), "10.25");
    std::setlocale(LC_ALL, "C");

    // Every double's text reads back to the same double through the SQL parser.
    for (double d : {0.1, 1.0 / 3, 123456789.123456789, 5e-324, 1.7976931348623157e308, -2.5e-8}) {
        auto stmt = db::sql::parse("UPDATE t SET a='x' WHERE n = " + *valueText(Variant(d)));
        EXPECT_EQ(std::get<db::sql::Update>(stmt).where->value.number, d) << d;
    }
}

TEST(ValueText, OtherKinds) {
    EXPECT_FALSE(valueText(Variant()));
    EXPECT_EQ(*valueText(Variant(true)), "True");
    EXPECT_EQ(*valueText(Variant(false)), "False");
    EXPECT_EQ(*valueText(Variant(db::Date{43830.5})), "2019-12-31 12:00:00");
    EXPECT_EQ(*valueText(Variant("a, b. c")), "a, b. c");
    EXPECT_EQ(*valueText(Variant(db::Bytes{0x0f, 0xa0})), "0FA0");
}
