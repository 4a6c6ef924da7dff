// The text forms of stored values: dates, currency, decimals and Replication IDs.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "jet/read/Value.h"

namespace {

TEST(ValueText, DatesCountDaysFrom18991230WithTheFractionAsTimeOfDay) {
    EXPECT_EQ(jet::formatDateTime(0), "1899-12-30 00:00:00");
    EXPECT_EQ(jet::formatDateTime(29932), "1981-12-12 00:00:00");
    EXPECT_EQ(jet::formatDateTime(2.5), "1900-01-01 12:00:00");
    // Before 1899-12-30 the fraction is still a positive time of day.
    EXPECT_EQ(jet::formatDateTime(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(jet::formatDateTime(-600000.5), "0257-04-02 12:00:00");
    // Nearest second, carrying into the next day.
    EXPECT_EQ(jet::formatDateTime(1.0 + 86399.6 / 86400), "1900-01-01 00:00:00");
    EXPECT_EQ(jet::formatDateTime(-1.0 - 86399.6 / 86400), "1899-12-30 00:00:00");
    EXPECT_EQ(jet::formatDateTime(2958465.999988426), "9999-12-31 23:59:59");
    EXPECT_EQ(jet::formatDateTime(std::numeric_limits<double>::quiet_NaN()), "invalid date");
}

TEST(ValueText, CurrencyHasFourDecimals) {
    EXPECT_EQ(jet::formatCurrency(35000), "3.5000");
    EXPECT_EQ(jet::formatCurrency(-123400), "-12.3400");
    EXPECT_EQ(jet::formatCurrency(-1), "-0.0001");
    EXPECT_EQ(jet::formatCurrency(std::numeric_limits<std::int64_t>::min()), "-922337203685477.5808");
}

std::vector<std::uint8_t> decimalBytes(bool negative, std::uint32_t w3, std::uint32_t w2, std::uint32_t w1,
                                       std::uint32_t w0) {
    std::vector<std::uint8_t> b{static_cast<std::uint8_t>(negative ? 0x80 : 0)};
    for (std::uint32_t w : {w3, w2, w1, w0})
        for (int k = 0; k < 4; ++k)
            b.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
    return b;
}

TEST(ValueText, DecimalsKeepTheirScale) {
    auto b = decimalBytes(true, 0, 0, 0, 12340);
    EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 3), "-12.340");
    b = decimalBytes(false, 0, 0, 0, 5);
    EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 4), "0.0005");
    b = decimalBytes(true, 0, 0, 0, 0); // negative zero prints as zero
    EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 2), "0.00");
    // Words are most significant first: 2^64 needs the third word.
    b = decimalBytes(false, 0, 1, 0, 0);
    EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 0), "18446744073709551616");
    b = decimalBytes(false, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
    EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 0),
              "340282366920938463463374607431768211455");
}

TEST(ValueText, ReplicationIdsAreMixedEndianUpperCase) {
    const std::uint8_t g[16] = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                                0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    EXPECT_EQ(jet::formatGuid(jet::ByteView(g, 16)), "{12345678-9ABC-DEF0-0123-456789ABCDEF}");
}

} // namespace
