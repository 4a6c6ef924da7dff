#include "db/Variant.h"

#include <gtest/gtest.h>

using db::Currency;
using db::Decimal;
using db::Variant;

TEST(Variant, NumbersCompareByValueAcrossKinds) {
    EXPECT_EQ(Variant(3), Variant(3.0));
    EXPECT_EQ(Variant(Currency{35000}), Variant(3.5));
    EXPECT_EQ(Variant(Currency{30000}), Variant(3));
    EXPECT_EQ(Variant(Decimal{"-12.3400"}), Variant(Decimal{"-12.34"}));
    EXPECT_EQ(Variant(Decimal{"-0.00"}), Variant(0));
    EXPECT_EQ(Variant(1.5f), Variant(1.5));
    EXPECT_NE(Variant(0.1f), Variant(0.1)); // a Single is not the double nearest 0.1
    // Beyond 2^53 whole numbers compare exactly, not through a double.
    EXPECT_NE(Variant(std::int64_t{9007199254740993}), Variant(9007199254740992.0));
    EXPECT_NE(Variant(std::int64_t{9007199254740993}), Variant(Decimal{"9007199254740992"}));
    EXPECT_EQ(Variant(Currency{INT64_MIN}), Variant(Decimal{"-922337203685477.5808"}));
}

TEST(Variant, TextsAndKindsStayApart) {
    EXPECT_NE(Variant("abc"), Variant("ABC"));
    EXPECT_NE(Variant("1"), Variant(1));
    EXPECT_NE(Variant(), Variant(""));
    EXPECT_EQ(Variant(), Variant(db::Null{}));
    EXPECT_NE(Variant(true), Variant(1));
    EXPECT_EQ(Variant(Variant::Array{1, "a"}), Variant(Variant::Array{1.0, "a"}));
}
