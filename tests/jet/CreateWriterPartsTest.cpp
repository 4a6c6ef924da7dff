// The writer's pieces that later writers build on, checked against the reader's view of the same
// bytes: rows (padded or not, with and without variable-length columns), data pages filled to their
// limits, long table definitions over several pages, and usage maps whose window does not start at 0.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "jet/create/DatabaseCreator.h"
#include "jet/encode/DataPageWriter.h"
#include "jet/encode/RowEncoder.h"
#include "jet/encode/TableLayout.h"
#include "jet/format/DataPage.h"
#include "jet/format/TextEncoder.h"
#include "jet/read/Database.h"
#include "jet/read/RowLayout.h"
#include "jet/read/UsageMap.h"

namespace {

using jet::ColumnType;

const jet::Format& jet4() {
    return jet::formatFor(jet::Version::Jet4);
}

jet::FieldValue field(std::initializer_list<std::uint8_t> bytes) {
    jet::FieldValue v;
    v.null = false;
    v.bytes = bytes;
    return v;
}
jet::FieldValue bit(bool b) {
    jet::FieldValue v;
    v.null = false;
    v.bit = b;
    return v;
}

std::vector<std::uint8_t> bytesOf(const jet::FieldBytes& f) {
    return {f.bytes.data(), f.bytes.data() + f.bytes.size()};
}

std::string tempPath(const std::string& name) {
    auto p =
        std::filesystem::temp_directory_path() / ("fendrel-parts-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove(p);
    return p.string();
}

} // namespace

TEST(CreateRow, EncodedRowsSplitBackIntoTheirFieldsPaddedOrNot) {
    jet::TableDef def = jet::layoutTable(jet4(), "T",
                                         {{"A", ColumnType::Long},
                                          {"B", ColumnType::Text, 10},
                                          {"C", ColumnType::Boolean},
                                          {"D", ColumnType::Integer},
                                          {"E", ColumnType::Text, 10},
                                          {"F", ColumnType::Text, 10}});
    std::vector<jet::FieldValue> in = {field({1, 2, 3, 4}), field({'x', 0, 'y', 0}),
                                       bit(true),           jet::FieldValue{},
                                       field({}),           field({'z', 0})};
    for (std::size_t minSize : {std::size_t{0}, std::size_t{200}}) {
        jet::Bytes row = jet::encodeRow(jet4(), def, in, minSize);
        if (minSize) {
            EXPECT_EQ(row.size(), minSize);
        }
        std::vector<jet::FieldBytes> out;
        std::vector<std::size_t> offsets;
        jet::splitRow(jet4(), def, jet::ByteView(row.data(), row.size()), out, offsets);
        ASSERT_EQ(out.size(), 6u);
        EXPECT_EQ(bytesOf(out[0]), (std::vector<std::uint8_t>{1, 2, 3, 4}));
        EXPECT_EQ(bytesOf(out[1]), (std::vector<std::uint8_t>{'x', 0, 'y', 0}));
        EXPECT_TRUE(out[2].bit);
        EXPECT_TRUE(out[3].null);
        EXPECT_FALSE(out[4].null); // empty, not null
        EXPECT_TRUE(out[4].bytes.empty());
        EXPECT_EQ(bytesOf(out[5]), (std::vector<std::uint8_t>{'z', 0}));
    }

    // Without variable-length columns a row is the count, the fixed area and the null mask only.
    jet::TableDef fixedOnly =
        jet::layoutTable(jet4(), "F", {{"A", ColumnType::Long}, {"B", ColumnType::Boolean}});
    jet::Bytes row = jet::encodeRow(jet4(), fixedOnly, {field({9, 0, 0, 0}), bit(false)});
    EXPECT_EQ(row, (jet::Bytes{2, 0, 9, 0, 0, 0, 0x01}));

    // A fixed value of the wrong size, or a row longer than a page allows, is refused.
    EXPECT_THROW(jet::encodeRow(jet4(), fixedOnly, {field({1, 2}), bit(false)}), jet::Error);
    jet::TableDef wide =
        jet::layoutTable(jet4(), "W", {{"A", ColumnType::Binary, 510}, {"B", ColumnType::Binary, 510}});
    jet::FieldValue big;
    big.null = false;
    big.bytes.assign(2100, 7);
    EXPECT_THROW(jet::encodeRow(jet4(), wide, {big, big}), jet::Error);
}

TEST(CreateDataPage, RowsFillThePageUpToItsRoomAndTo255Rows) {
    const jet::Format& f = jet4();
    jet::DataPageWriter page(f, 42);
    EXPECT_EQ(page.freeSpace(), f.pageSize - 14);
    std::size_t used = 0;
    unsigned n = 0;
    while (page.fits(100)) {
        jet::Bytes row(100, static_cast<std::uint8_t>(n));
        EXPECT_EQ(page.add(row), n);
        used += 102;
        ++n;
    }
    EXPECT_EQ(page.freeSpace(), f.pageSize - 14 - used);
    jet::ByteView v(page.bytes().data(), page.bytes().size());
    EXPECT_EQ(v.u16(2), page.freeSpace());
    EXPECT_EQ(v.u32(f.dataTdefPage), 42u);
    ASSERT_EQ(jet::dataPageRowCount(f, v), n);
    for (unsigned i = 0; i < n; ++i) {
        jet::ByteView r = jet::dataPageRowBytes(f, v, i);
        ASSERT_EQ(r.size(), 100u);
        EXPECT_EQ(r.u8(0), i);
    }

    jet::DataPageWriter tiny(f, 1);
    jet::Bytes one{1};
    while (tiny.fits(1))
        tiny.add(one);
    EXPECT_EQ(tiny.rowCount(), jet::data_page::MaxRows); // row numbers are one byte
}

TEST(CreateTableDef, LongDefinitionsContinueOnFurtherPages) {
    std::string path = tempPath("wide.mdb");
    std::vector<jet::ColumnSpec> columns;
    for (int i = 0; i < 120; ++i) {
        std::string name = "Column number " + std::to_string(i) + " with a long name, near sixty-four chars";
        columns.push_back({name.substr(0, 64), i % 3 ? ColumnType::Text : ColumnType::Long, 20});
    }
    {
        jet::DatabaseCreator c(path, {});
        auto& t = c.addTable("Wide", columns);
        std::vector<jet::Value> row(columns.size());
        row[0].kind = jet::Value::Kind::Integer;
        row[0].integer = 7;
        row[119].kind = jet::Value::Kind::Text;
        row[119].text = "last";
        t.append(row);
        c.finish();
    }
    auto db = jet::Database::open(path);
    auto def = db->table("Wide");
    EXPECT_GT(def->pages.size(), 2u);
    ASSERT_EQ(def->columns.size(), columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(def->columns[i].name, columns[i].name);
    auto reader = db->rows("Wide");
    std::vector<jet::Value> v;
    ASSERT_TRUE(reader.next(v));
    EXPECT_EQ(v[0].integer, 7);
    EXPECT_EQ(v[119].text, "last");
    EXPECT_FALSE(reader.next(v));
    std::filesystem::remove(path);
}

TEST(CreateUsageMap, ATableWhosePagesLieFarFromPageZero) {
    // The second table's pages all come after the first's several hundred, so its inline map's
    // window starts far from 0; the first one's span is too wide for a window.
    std::string path = tempPath("far.mdb");
    {
        jet::DatabaseCreator c(path, {});
        auto& first = c.addTable("First", {{"Text", ColumnType::Text, 255}});
        std::vector<jet::Value> row(1);
        row[0].kind = jet::Value::Kind::Text;
        row[0].text = std::string(200, 'x');
        for (int i = 0; i < 12000; ++i)
            first.append(row);
        auto& second = c.addTable("Second", {{"N", ColumnType::Long}});
        row[0].kind = jet::Value::Kind::Integer;
        for (int i = 0; i < 1000; ++i) {
            row[0].integer = i;
            second.append(row);
        }
        c.finish();
    }
    auto db = jet::Database::open(path);
    auto count = [&](const char* table) {
        auto reader = db->rows(table);
        std::vector<jet::Value> v;
        std::size_t n = 0;
        while (reader.next(v))
            ++n;
        return n;
    };
    EXPECT_EQ(count("First"), 12000u);
    EXPECT_EQ(count("Second"), 1000u);
    std::filesystem::remove(path);
}

TEST(CreatePages, EveryPageWrittenAndEveryDataPageInItsTablesMap) {
    // A file with tables, memos in every storage kind and a table of several hundred pages: no page
    // is left unwritten, and each data page is listed by the owned map of the table it names.
    std::string path = tempPath("census.accdb");
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        jet::DatabaseCreator c(path, o);
        auto& a = c.addTable("A", {{"N", ColumnType::Long}, {"M", ColumnType::Memo}});
        std::vector<jet::Value> row(2);
        row[0].kind = jet::Value::Kind::Integer;
        row[1].kind = jet::Value::Kind::Text;
        for (int i = 0; i < 3000; ++i) {
            row[0].integer = i;
            row[1].text = std::string(static_cast<std::size_t>(i % 7 == 0 ? 9000 : i % 5), 'm');
            a.append(row);
        }
        c.addTable("B", {{"N", ColumnType::Long}}).append({row[0]});
        c.finish();
    }
    EXPECT_EQ(std::filesystem::file_size(path) % 4096, 0u);
    auto db = jet::Database::open(path);
    jet::Pager& pager = db->pager();
    std::map<std::uint32_t, std::set<std::uint32_t>> owned; // table definition page -> its data pages
    for (const auto& e : db->catalog()) {
        if (!e.isTable()) continue;
        auto def = db->table(e.name);
        jet::UsageMapCursor cursor(pager, def->ownedPages);
        while (auto p = cursor.next())
            owned[def->page].insert(*p);
    }
    std::size_t dataPages = 0, longValuePages = 0;
    for (std::uint32_t n = 1; n < pager.pageCount(); ++n) {
        jet::PageRef p = pager.page(n);
        jet::ByteView v = p->view();
        ASSERT_TRUE(p->type() == jet::page_type::Data || p->type() == jet::page_type::TableDef ||
                    p->type() == jet::page_type::UsageBitmap)
            << "page " << n << " has type " << int(p->type());
        EXPECT_EQ(v.u8(1), 0x01) << "page " << n;
        if (p->type() != jet::page_type::Data) continue;
        std::uint32_t owner = v.u32(4);
        if (owner == jet::data_page::LongValueOwner) {
            ++longValuePages;
        } else if (owner > 1) {
            ++dataPages;
            EXPECT_TRUE(owned[owner].count(n))
                << "data page " << n << " of table " << owner << " is in no map";
        }
        // The free-space field agrees with the row table.
        unsigned rows = jet::dataPageRowCount(db->format(), v);
        std::size_t lowest = rows ? (v.u16(14 + 2 * (rows - 1)) & 0x1FFF) : 4096;
        EXPECT_EQ(v.u16(2), lowest - 14 - 2 * rows) << "page " << n;
    }
    std::size_t listed = 0;
    for (const auto& [table, pages] : owned)
        listed += pages.size();
    EXPECT_EQ(listed, dataPages);
    EXPECT_GT(longValuePages, 100u);
    std::filesystem::remove(path);
}

TEST(CreateText, CompressedExactlyWhereAccessCompresses) {
    // Bytes Access itself stored for these values in a Text column with Unicode Compression on.
    auto encode = [](const std::string& s) { return jet::encodeJet4Text(jet::utf16FromUtf8(s), true); };
    EXPECT_EQ(encode("ääkkösiä"), (jet::Bytes{0xFF, 0xFE, 0xE4, 0xE4, 0x6B, 0x6B, 0xF6, 0x73, 0x69, 0xE4}));
    EXPECT_EQ(encode("ümlaut"), (jet::Bytes{0xFF, 0xFE, 0xFC, 0x6D, 0x6C, 0x61, 0x75, 0x74}));
    EXPECT_EQ(encode("Мир"), (jet::Bytes{0x1C, 0x04, 0x38, 0x04, 0x40, 0x04}));
    // Greek with spaces between the words: the whole value stays UCS-2, with no compressed runs.
    EXPECT_EQ(encode("τ\u1F79τ' ἐγὼ"), (jet::Bytes{0xC4, 0x03, 0x79, 0x1F, 0xC4, 0x03, 0x27, 0x00, 0x20, 0x00,
                                                   0x10, 0x1F, 0xB3, 0x03, 0x7C, 0x1F}));
    // Without the column's flag, or where nothing is gained, nothing is compressed.
    EXPECT_EQ(jet::encodeJet4Text(jet::utf16FromUtf8("abc"), false), (jet::Bytes{'a', 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(encode("ab"), (jet::Bytes{'a', 0, 'b', 0}));
    EXPECT_EQ(encode(""), jet::Bytes{});
    // A character U+0100 and above anywhere keeps the value uncompressed; text that is not UTF-8 is refused.
    EXPECT_EQ(encode("abcĀ").size(), 8u);
    EXPECT_THROW(jet::utf16FromUtf8("\xC3"), jet::Error);
    EXPECT_EQ(jet::utf16FromUtf8("😀").size(), 2u); // a surrogate pair
}
