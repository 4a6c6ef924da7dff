// Calculated columns (Access 2010 and later): their values are read as the type of the stored
// result (the column's ResultType property), which may differ from the declared type.

#include "jet/base/Error.h"
#include "jet/encode/PropertyWriter.h"
#include "jet/file/Pager.h"
#include "jet/format/Format.h"
#include "jet/read/Database.h"
#include "jet/read/Properties.h"
#include "jet/read/Value.h"
#include "support/Fixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string show(const jet::Value& v) {
    using K = jet::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return "Null";
    case K::Boolean:
        return v.boolean ? "true" : "false";
    case K::Integer:
        return std::to_string(v.integer);
    case K::Currency:
        return jet::formatCurrency(v.integer);
    case K::Single:
        return "s" + std::to_string(v.real);
    case K::Double:
        return "d" + std::to_string(v.real);
    default:
        return v.text;
    }
}

// A calculated value as Access stores it: 16 bytes, the data's length, the data, 3 bytes more.
std::vector<std::uint8_t> wrapped(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out(20, 0);
    const auto n = static_cast<std::uint32_t>(data.size());
    for (int k = 0; k < 4; ++k)
        out[16 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(n >> (8 * k));
    out.insert(out.end(), data.begin(), data.end());
    out.resize(out.size() + 3, 0);
    return out;
}

} // namespace

TEST(Calculated, ValuesReadAsTheirResultType) {
    const std::string path = testsupport::accessFixture("ace14-2010-calculated.accdb");
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "fixture " << path << " is absent";
    auto db = jet::Database::open(path);
    auto def = db->table("Table1");
    auto typeOf = [&](const char* name) { return def->find(name)->valueType(); };
    using T = jet::ColumnType;
    EXPECT_EQ(typeOf("MonthlySalary"), T::Currency); // declared Double
    EXPECT_EQ(typeOf("IsRich"), T::Boolean);         // declared Integer
    EXPECT_EQ(typeOf("AllNames"), T::Memo);          // declared Text
    EXPECT_EQ(typeOf("FloatTest"), T::Single);       // declared Decimal
    EXPECT_EQ(typeOf("ID"), T::Long);                // not calculated
    // The values Jackcess reads from this file.
    const std::vector<std::vector<std::string>> expected{
        {"83333.3333", "true", "Wayne, Bruce=Wayne, Bruce", "19230.7692307692", "true"},
        {"-0.0833", "false", "Simpson, Bart=Simpson, Bart", "-0.0192307692307692", "true"},
        {"0.0000", "false", "Doe, John=Doe, John", "0", "true"},
        {"8.3333", "false", "User, Test=User, Test", "1.92307692307692", "true"}};
    jet::RowReader rows = db->rows("Table1");
    std::vector<jet::Value> values;
    std::size_t n = 0;
    const char* names[] = {"MonthlySalary", "IsRich", "AllNames", "WeeklySalary", "BoolTest"};
    while (rows.next(values)) {
        ASSERT_LT(n, expected.size());
        for (std::size_t k = 0; k < 5; ++k) {
            const auto at = static_cast<std::size_t>(def->find(names[k]) - def->columns.data());
            EXPECT_EQ(show(values[at]), expected[n][k]) << "row " << n << " " << names[k];
        }
        ++n;
    }
    EXPECT_EQ(n, 4u);
}

TEST(Calculated, AnEmptyStoredResultIsEmptyTextButNullForFixedTypes) {
    // Decoding needs a pager only for long values; one page of nothing will do.
    const jet::Format& f = jet::formatFor(jet::Version::Ace14);
    jet::Pager pager(std::make_unique<jet::PageFile>("memory", std::vector<std::uint8_t>(f.pageSize, 0)), f,
                     nullptr);
    jet::Column c;
    c.name = "eee";
    c.extFlags = 0xC0;
    const auto empty = wrapped({});
    jet::FieldBytes field;
    field.null = false; // the null mask says a result is there
    field.bytes = jet::ByteView(empty.data(), empty.size());
    jet::Value v;
    // A text result of no characters is the empty text: a Text value may be empty, and the null
    // mask, not the length, says Null.
    c.type = jet::ColumnType::Text;
    c.resultType = jet::ColumnType::Text;
    jet::decodeValue(pager, c, field, 1252, v);
    EXPECT_EQ(v.kind, jet::Value::Kind::Text);
    EXPECT_EQ(v.text, "");
    // No bytes cannot be a number: for a fixed-size type it means no result.
    c.resultType = jet::ColumnType::Double;
    jet::decodeValue(pager, c, field, 1252, v);
    EXPECT_EQ(v.kind, jet::Value::Kind::Null);
    // A result narrower than its type is widened with its sign (Yes/No in an Integer).
    c.resultType = jet::ColumnType::Integer;
    const auto narrow = wrapped({0xFF});
    field.bytes = jet::ByteView(narrow.data(), narrow.size());
    jet::decodeValue(pager, c, field, 1252, v);
    EXPECT_EQ(show(v), "-1");
}

TEST(Calculated, DamagedPropertyBlobsGiveCleanErrors) {
    const jet::Format& f = jet::formatFor(jet::Version::Ace14);
    jet::Bytes blob = jet::encodeProperties({jet::textProperty("AccessVersion", "09.50")});
    const auto maps = jet::parseProperties(jet::ByteView(blob.data(), blob.size()), f, 1252);
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_EQ(maps[0].name, "");
    ASSERT_NE(maps[0].find("accessversion"), nullptr);
    // Cut anywhere: a clean error, or fewer maps when the cut falls between chunks.
    std::size_t refused = 0;
    for (std::size_t cut = 1; cut < blob.size(); ++cut) {
        try {
            EXPECT_TRUE(jet::parseProperties(jet::ByteView(blob.data(), cut), f, 1252).empty()) << cut;
        } catch (const jet::Corrupt&) {
            ++refused;
        }
    }
    EXPECT_GE(refused, blob.size() - 4);
    blob[0] = 'X';
    EXPECT_THROW(jet::parseProperties(jet::ByteView(blob.data(), blob.size()), f, 1252), jet::Corrupt);
}
