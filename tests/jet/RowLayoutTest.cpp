// Splitting rows: fixed and variable columns, gaps left by deleted columns, columns added after a
// row was written, Jet3's jump table, and rows whose own tables do not fit.

#include <gtest/gtest.h>

#include <vector>

#include "jet/encode/RowEncoder.h"
#include "jet/read/RowLayout.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

jet::Column column(const char* name, jet::ColumnType type, std::uint16_t number, bool fixed,
                   std::uint16_t varIndex = 0, std::uint16_t fixedOffset = 0, std::uint16_t length = 0) {
    jet::Column c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.flags = static_cast<std::uint8_t>((fixed ? jet::column_flag::Fixed : 0) | jet::column_flag::Nullable);
    c.varIndex = varIndex;
    c.fixedOffset = fixedOffset;
    c.length = length;
    return c;
}

void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::string text(const jet::FieldBytes& f) {
    return std::string(reinterpret_cast<const char*>(f.bytes.data()), f.bytes.size());
}

// A Jet4 table: Long (col 0, fixed), Text (col 1, var 0), a deleted column's var slot 1, Text
// (col 3, var 2), Yes/No (col 4), and Long (col 6, fixed at 4), added after the row was written.
jet::TableDef jet4Table() {
    jet::TableDef t;
    t.maxColumns = 7;
    t.varColumns = 3;
    t.columns = {column("id", jet::ColumnType::Long, 0, true, 0, 0, 4),
                 column("a", jet::ColumnType::Text, 1, false, 0),
                 column("b", jet::ColumnType::Text, 3, false, 2),
                 column("yes", jet::ColumnType::Boolean, 4, true),
                 column("later", jet::ColumnType::Long, 6, true, 0, 4, 4)};
    return t;
}

// The row as written when the table had 5 columns (numbers 0..4).
Bytes jet4Row(std::uint8_t nullMask) {
    Bytes r;
    put16(r, 5);                      // columns in this row
    r.insert(r.end(), {42, 0, 0, 0}); // id
    r.insert(r.end(), {'x', 'y'});    // a (var 0) at 6..8
    r.insert(r.end(), {'z'});         // b (var 2) at 8..9; var 1 is empty
    put16(r, 9);                      // end of the variable data
    put16(r, 8);                      // var 2
    put16(r, 8);                      // var 1
    put16(r, 6);                      // var 0
    put16(r, 3);                      // variable columns in this row
    r.push_back(nullMask);
    return r;
}

TEST(RowLayout, Jet4FixedVariableDeletedAndLaterColumns) {
    const jet::Format& f = jet::formatFor(jet::Version::Jet4);
    jet::TableDef t = jet4Table();
    Bytes row = jet4Row(0b00011011); // 0, 1, 3, 4 set
    std::vector<jet::FieldBytes> fields;
    std::vector<std::size_t> offsets;
    jet::splitRow(f, t, jet::ByteView(row.data(), row.size()), fields, offsets);
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_FALSE(fields[0].null);
    EXPECT_EQ(fields[0].bytes.u32(0), 42u);
    EXPECT_EQ(text(fields[1]), "xy");
    EXPECT_EQ(text(fields[2]), "z");
    EXPECT_FALSE(fields[3].null);
    EXPECT_TRUE(fields[3].bit);
    EXPECT_TRUE(fields[4].null); // not in the row: added later

    row = jet4Row(0b00000001); // only id set: texts null, Yes/No false
    jet::splitRow(f, t, jet::ByteView(row.data(), row.size()), fields, offsets);
    EXPECT_TRUE(fields[1].null);
    EXPECT_TRUE(fields[2].null);
    EXPECT_FALSE(fields[3].null);
    EXPECT_FALSE(fields[3].bit);
}

TEST(RowLayout, Jet3JumpTableLiftsOffsetsPast256) {
    const jet::Format& f = jet::formatFor(jet::Version::Jet3);
    jet::TableDef t;
    t.maxColumns = 2;
    t.varColumns = 2;
    t.columns = {column("a", jet::ColumnType::Text, 0, false, 0),
                 column("b", jet::ColumnType::Text, 1, false, 1)};
    Bytes r{2};                  // columns in this row
    r.insert(r.end(), 200, 'a'); // a at 1..201
    r.insert(r.end(), 100, 'b'); // b at 201..301
    r.push_back(301 & 0xFF);     // end of data (301 = 256 + 45)
    r.push_back(201);            // b
    r.push_back(1);              // a
    r.push_back(2);              // jump: entries from index 2 on are past 256
    r.push_back(2);              // variable columns
    r.push_back(0b11);           // null mask
    std::vector<jet::FieldBytes> fields;
    std::vector<std::size_t> offsets;
    jet::splitRow(f, t, jet::ByteView(r.data(), r.size()), fields, offsets);
    EXPECT_EQ(text(fields[0]), std::string(200, 'a'));
    EXPECT_EQ(text(fields[1]), std::string(100, 'b'));
}

TEST(RowLayout, RowsWhoseTablesDoNotFitAreCorrupt) {
    const jet::Format& f = jet::formatFor(jet::Version::Jet4);
    jet::TableDef t = jet4Table();
    std::vector<jet::FieldBytes> fields;
    std::vector<std::size_t> offsets;
    auto split = [&](const Bytes& r) {
        jet::splitRow(f, t, jet::ByteView(r.data(), r.size()), fields, offsets);
    };

    Bytes row = jet4Row(0xFF);
    row[row.size() - 3] = 200; // claims 200 variable columns
    EXPECT_THROW(split(row), jet::Corrupt);

    row = jet4Row(0xFF);
    row[row.size() - 5] = 0xF0; // var 0 offset after the end of the data
    EXPECT_THROW(split(row), jet::Corrupt);

    row = jet4Row(0xFF);
    row[0] = 0xFF; // 255 columns: the null mask would be longer than the row
    row[1] = 0x00;
    EXPECT_THROW(split(row), jet::Corrupt);

    EXPECT_THROW(split(Bytes{1}), jet::Corrupt);

    // A fixed column that would reach into the variable data.
    t.columns[0].fixedOffset = 2;
    EXPECT_THROW(split(jet4Row(0xFF)), jet::Corrupt);
}

// Jet3 rows as the encoder writes them split back to their values at every length: the jump table
// gains an entry at each 256 bytes the row reaches, and the last pads when only the trailer
// crosses the boundary.
TEST(RowLayout, Jet3RowsOfEveryLengthSplitBackToTheirValues) {
    const jet::Format& f = jet::formatFor(jet::Version::Jet3);
    for (std::uint16_t vars = 1; vars <= 4; ++vars) {
        jet::TableDef t;
        t.maxColumns = static_cast<std::uint16_t>(vars + 2);
        t.varColumns = vars;
        t.columns.push_back(column("id", jet::ColumnType::Long, 0, true, 0, 0, 4));
        for (std::uint16_t k = 0; k < vars; ++k)
            t.columns.push_back(column("v", jet::ColumnType::Text, static_cast<std::uint16_t>(k + 1), false, k));
        t.columns.push_back(column("yes", jet::ColumnType::Boolean, static_cast<std::uint16_t>(vars + 1), true));
        for (std::size_t total = 0; total <= 1500; total += 7) {
            std::vector<jet::FieldValue> values(t.columns.size());
            values[0].null = false;
            values[0].bytes = {1, 2, 3, 4};
            for (std::uint16_t k = 0; k < vars; ++k) {
                jet::FieldValue& v = values[k + 1u];
                // Uneven pieces, one of them null, so that offsets fall on both sides of boundaries.
                v.null = k == 1 && total % 3 == 0;
                if (!v.null) v.bytes.assign(total / vars + k * 13 % 29, static_cast<std::uint8_t>('a' + k));
            }
            values.back().null = false;
            values.back().bit = total % 2 == 0;
            const Bytes row = jet::encodeRow(f, t, values);
            std::vector<jet::FieldBytes> fields;
            std::vector<std::size_t> offsets;
            jet::splitRow(f, t, jet::ByteView(row.data(), row.size()), fields, offsets);
            for (std::size_t i = 0; i < values.size(); ++i) {
                SCOPED_TRACE("vars " + std::to_string(vars) + ", row of " + std::to_string(row.size()) +
                             " bytes, column " + std::to_string(i));
                EXPECT_EQ(fields[i].null, values[i].null && i + 1 < values.size());
                if (i + 1 == values.size()) {
                    EXPECT_EQ(fields[i].bit, values[i].bit);
                } else if (!values[i].null) {
                    EXPECT_EQ(Bytes(fields[i].bytes.data(), fields[i].bytes.data() + fields[i].bytes.size()),
                              values[i].bytes);
                }
            }
        }
    }
}

TEST(RowLayout, Jet3EncoderWritesTheRowAccessWrites) {
    // The row of Jet3JumpTableLiftsOffsetsPast256, byte for byte.
    const jet::Format& f = jet::formatFor(jet::Version::Jet3);
    jet::TableDef t;
    t.maxColumns = 2;
    t.varColumns = 2;
    t.columns = {column("a", jet::ColumnType::Text, 0, false, 0), column("b", jet::ColumnType::Text, 1, false, 1)};
    std::vector<jet::FieldValue> values(2);
    values[0].null = values[1].null = false;
    values[0].bytes.assign(200, 'a');
    values[1].bytes.assign(100, 'b');
    Bytes expected{2};
    expected.insert(expected.end(), 200, 'a');
    expected.insert(expected.end(), 100, 'b');
    expected.insert(expected.end(), {301 & 0xFF, 201, 1, 2, 2, 0b11});
    EXPECT_EQ(jet::encodeRow(f, t, values), expected);
    // Data ending just short of 256 with a trailer that crosses it: one jump entry, padding.
    values[1].bytes.assign(52, 'b'); // data ends at 253
    const Bytes padded = jet::encodeRow(f, t, values);
    ASSERT_EQ(padded.size(), 259u);
    EXPECT_EQ(padded[padded.size() - 3], 0xFF);
}

} // namespace
