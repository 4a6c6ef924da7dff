// Databases made by the engine, read back by the engine's own reader: every supported type, the
// password, memos of every storage kind, compressed and uncompressed text, a table spread over
// many pages, and the errors of bad descriptions (which leave no file behind).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "jet/base/Error.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/encode/ValueParse.h"
#include "jet/read/Database.h"
#include "jet/read/UsageMap.h"

namespace {

using jet::ColumnType;
using K = jet::Value::Kind;

struct TempPath {
    std::string path;
    explicit TempPath(const std::string& name) {
        path = (std::filesystem::temp_directory_path() /
                ("fendrel-create-" + std::to_string(::getpid()) + "-" + name))
                   .string();
        std::filesystem::remove(path);
    }
    ~TempPath() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

jet::Value integer(std::int64_t n) {
    return jet::Value::ofInteger(n);
}
jet::Value text(const std::string& s) {
    return jet::Value::ofText(s);
}
jet::Value boolean(bool b) {
    return jet::Value::ofBoolean(b);
}
jet::Value real(double d) {
    return jet::Value::ofReal(d);
}

std::vector<std::string> tableNames(jet::Database& db) {
    std::vector<std::string> out;
    for (const auto& e : db.catalog())
        out.push_back(e.name);
    return out;
}

std::vector<std::vector<jet::Value>> readAll(jet::Database& db, const std::string& table) {
    std::vector<std::vector<jet::Value>> out;
    auto reader = db.rows(table);
    std::vector<jet::Value> v;
    while (reader.next(v))
        out.push_back(v);
    return out;
}

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::vector<jet::ColumnSpec> kEveryType = {
    {"Flag", ColumnType::Boolean}, {"Tiny", ColumnType::Byte},      {"Small", ColumnType::Integer},
    {"Whole", ColumnType::Long},   {"Money", ColumnType::Currency}, {"Float", ColumnType::Single},
    {"Real", ColumnType::Double},  {"When", ColumnType::DateTime},  {"Name", ColumnType::Text, 40},
    {"Notes", ColumnType::Memo},   {"Guid", ColumnType::Guid},      {"Exact", ColumnType::Decimal, 0, 12, 3},
};

// One row of every type with values near the edges, and one of nulls.
void fillEveryType(jet::TableFiller& t) {
    t.append({boolean(true), integer(255), integer(-32768), integer(2147483647),
              text("-922337203685477.5808"), real(0.1), real(-1e300), text("2024-02-29 23:59:59"),
              text("Zoë, \"quoted\"\nline"), text("Ünïcödé memo"),
              text("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), text("-123456789.125")});
    t.append(std::vector<jet::Value>(t.def().columns.size()));
}

void expectEveryType(jet::Database& db) {
    auto rows = readAll(db, "Every");
    ASSERT_EQ(rows.size(), 2u);
    const auto& r = rows[0];
    EXPECT_TRUE(r[0].boolean);
    EXPECT_EQ(r[1].integer, 255);
    EXPECT_EQ(r[2].integer, -32768);
    EXPECT_EQ(r[3].integer, 2147483647);
    EXPECT_EQ(jet::formatCurrency(r[4].integer), "-922337203685477.5808");
    EXPECT_EQ(r[5].kind, K::Single);
    EXPECT_EQ(static_cast<float>(r[5].real), 0.1f);
    EXPECT_EQ(r[6].real, -1e300);
    EXPECT_EQ(jet::formatDateTime(r[7].real), "2024-02-29 23:59:59");
    EXPECT_EQ(r[8].text, "Zoë, \"quoted\"\nline");
    EXPECT_EQ(r[9].text, "Ünïcödé memo");
    EXPECT_EQ(r[10].text, "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    EXPECT_EQ(r[11].text, "-123456789.125");
    EXPECT_FALSE(rows[1][0].boolean); // a null Yes/No is No
    for (std::size_t i = 1; i < rows[1].size(); ++i)
        EXPECT_TRUE(rows[1][i].isNull()) << "column " << i;
}

} // namespace

TEST(CreateDatabase, Jet4WithPasswordHoldsEveryTypeAndListsExactlyItsTables) {
    TempPath file("every.mdb");
    {
        jet::CreateOptions o;
        o.password = "sécret pass";
        jet::DatabaseCreator c(file.path, o);
        fillEveryType(c.addTable("Every", kEveryType));
        c.addTable("Empty", {{"Only", ColumnType::Text, 10}});
        c.finish();
    }
    EXPECT_THROW(jet::Database::open(file.path), jet::BadPassword);
    jet::OpenOptions o;
    o.password = "sécret pass";
    auto db = jet::Database::open(file.path, o);
    EXPECT_EQ(db->header().version, jet::Version::Jet4);
    EXPECT_EQ(db->header().sortOrder, jet::GeneralSortOrder);
    EXPECT_EQ(db->header().codePage, 1252);
    EXPECT_EQ(tableNames(*db), (std::vector<std::string>{"MSysObjects", "MSysACEs", "MSysQueries",
                                                         "MSysRelationships", "Every", "Empty"}));
    expectEveryType(*db);
    EXPECT_TRUE(readAll(*db, "Empty").empty());
    EXPECT_EQ(db->table("Every")->rowCount, 2u);
}

// The one rule for the tables nothing but the engine changes, asked of a catalog entry (the writer)
// or of what the schema reports, TABLE_NAME and TABLE_TYPE (the layers above): the same answer for
// every table, flagged ones and a user's table named "msys..." alike.
TEST(CreateDatabase, SystemTablesAreTheSameByCatalogEntryAndBySchemaRow) {
    TempPath file("system.mdb");
    {
        jet::DatabaseCreator c(file.path, {});
        c.addTable("People", {{"Name", ColumnType::Text, 10}});
        c.addTable("msysNotes", {{"Note", ColumnType::Text, 10}});
        c.finish();
    }
    auto db = jet::Database::open(file.path);
    std::size_t flagged = 0;
    for (const auto& e : db->catalog()) {
        const bool bySchema = jet::isSystemTable(e.name, e.tableType);
        EXPECT_EQ(jet::isSystemTable(e), bySchema) << e.name << " " << e.tableType;
        EXPECT_EQ(bySchema, e.name != "People") << e.name;
        flagged += e.tableType == jet::table_type::System || e.tableType == jet::table_type::Access;
    }
    EXPECT_EQ(flagged, 4u); // MSysObjects, MSysACEs, MSysQueries, MSysRelationships; msysNotes by its name
}

TEST(CreateDatabase, Ace12HasTheTablesAccess2007AddsAndIsEncryptedByAPassword) {
    TempPath file("every.accdb");
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        jet::DatabaseCreator c(file.path, o);
        fillEveryType(c.addTable("Every", kEveryType));
        c.finish();
    }
    auto db = jet::Database::open(file.path);
    EXPECT_EQ(db->header().version, jet::Version::Ace12);
    auto names = tableNames(*db);
    ASSERT_EQ(names.size(), 15u);
    EXPECT_EQ(names[4], "MSysComplexColumns");
    EXPECT_EQ(names[13], "MSysComplexType_Attachment");
    EXPECT_EQ(names.back(), "Every");
    expectEveryType(*db);

    // With a password the file is encrypted, and opens only with it.
    TempPath encrypted("encrypted.accdb");
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        o.password = "x";
        o.spinCount = 10;
        jet::DatabaseCreator c(encrypted.path, o);
        fillEveryType(c.addTable("Every", kEveryType));
        c.finish();
    }
    EXPECT_THROW(jet::Database::open(encrypted.path), jet::BadPassword);
    jet::OpenOptions x;
    x.password = "x";
    auto enc = jet::Database::open(encrypted.path, x);
    EXPECT_TRUE(enc->header().officeEncrypted);
    expectEveryType(*enc);
}

TEST(CreateDatabase, MemosOfEveryLengthAndTextThatDoesOrDoesNotCompress) {
    TempPath file("memos.mdb");
    const std::vector<std::size_t> lengths = {0, 1, 2000, 10000, 100000};
    // Latin-1 text of three or more characters compresses; Cyrillic cannot; two characters gain nothing.
    const std::vector<std::string> shortTexts = {"", "abc", repeat("Жя", 60), repeat("Zoë, Ünïcödé ", 19),
                                                 "ab"};
    {
        jet::DatabaseCreator c(file.path, {});
        auto& t = c.addTable("Memos", {{"N", ColumnType::Long},
                                       {"Latin", ColumnType::Memo},
                                       {"Greek", ColumnType::Memo},
                                       {"Short", ColumnType::Text, 255}});
        for (std::size_t i = 0; i < lengths.size(); ++i)
            t.append({integer(static_cast<std::int64_t>(lengths[i])), text(repeat("é", lengths[i])),
                      text(repeat("Ω", lengths[i])), text(shortTexts[i])});
        c.finish();
    }
    auto db = jet::Database::open(file.path);
    auto rows = readAll(*db, "Memos");
    ASSERT_EQ(rows.size(), lengths.size());
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        std::size_t n = lengths[i];
        EXPECT_EQ(rows[i][1].text, repeat("é", n)) << n;
        EXPECT_EQ(rows[i][2].text, repeat("Ω", n)) << n;
        EXPECT_EQ(rows[i][3].text, shortTexts[i]) << n;
    }

    // How each value is stored: inline, one long-value row, or a chain; compressed (FF FE) or not.
    auto reader = db->rows("Memos");
    std::vector<jet::FieldBytes> fields;
    std::vector<std::uint8_t> kinds;
    std::vector<bool> shortCompressed;
    while (reader.nextFields(fields)) {
        kinds.push_back(fields[1].bytes.u8(3) & 0xC0);
        const auto& s = fields[3];
        shortCompressed.push_back(!s.null && s.bytes.size() >= 2 && s.bytes.u8(0) == 0xFF &&
                                  s.bytes.u8(1) == 0xFE);
    }
    // 0 and 1 characters inline; 2000 compressed characters in one row; longer ones chained.
    EXPECT_EQ(kinds, (std::vector<std::uint8_t>{0x80, 0x80, 0x40, 0x00, 0x00}));
    EXPECT_EQ(shortCompressed, (std::vector<bool>{false, true, false, true, false}));
}

TEST(CreateDatabase, ManyRowsSpreadOverManyPagesThroughReferenceMaps) {
    TempPath file("many.accdb");
    const std::int64_t count = 100000;
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        jet::DatabaseCreator c(file.path, o);
        auto& t = c.addTable(
            "Big", {{"ID", ColumnType::Long}, {"Name", ColumnType::Text, 60}, {"Note", ColumnType::Memo}});
        for (std::int64_t i = 0; i < count; ++i)
            t.append({integer(i), text("Person number " + std::to_string(i) + ", Somewhere"),
                      i % 10 ? jet::Value{} : text(repeat("line\n", 30))});
        c.finish();
    }
    auto db = jet::Database::open(file.path);
    EXPECT_GT(db->pager().pageCount(), 512u); // beyond what one inline map describes
    auto reader = db->rows("Big");
    std::vector<jet::Value> v;
    std::int64_t next = 0;
    while (reader.next(v)) {
        ASSERT_EQ(v[0].integer, next);
        ASSERT_EQ(v[1].text, "Person number " + std::to_string(next) + ", Somewhere");
        ASSERT_EQ(v[2].isNull(), next % 10 != 0);
        ++next;
    }
    EXPECT_EQ(next, count);

    // The global map on page 1 marks no page of the file as free.
    jet::UsageMapCursor global(db->pager(), {1, 0});
    EXPECT_FALSE(global.next().has_value());
}

TEST(CreateDatabase, BadDescriptionsNameWhatIsWrongAndLeaveNoFile) {
    TempPath file("bad.mdb");
    auto message = [&](auto&& make) -> std::string {
        try {
            jet::DatabaseCreator c(file.path, {});
            make(c);
            c.finish();
        } catch (const jet::Error& e) {
            EXPECT_FALSE(std::filesystem::exists(file.path));
            return e.what();
        }
        return "";
    };
    auto contains = [](const std::string& haystack, const std::string& needle) {
        return haystack.find(needle) != std::string::npos;
    };
    std::string m = message([](jet::DatabaseCreator& c) {
        c.addTable("T", {{"Name", ColumnType::Text, 0}});
    });
    EXPECT_TRUE(contains(m, "table \"T\"") && contains(m, "column \"Name\"")) << m;
    m = message([](jet::DatabaseCreator& c) {
        c.addTable("T", {{"A", ColumnType::Long}, {"a", ColumnType::Text, 5}});
    });
    EXPECT_TRUE(contains(m, "column \"a\"") && contains(m, "twice")) << m;
    m = message([](jet::DatabaseCreator& c) { c.addTable("msysobjects", {{"A", ColumnType::Long}}); });
    EXPECT_TRUE(contains(m, "msysobjects") && contains(m, "Access's own")) << m;
    m = message([](jet::DatabaseCreator& c) {
        auto& t = c.addTable("T", {{"Tiny", ColumnType::Byte}, {"When", ColumnType::DateTime}});
        t.append({integer(1), text("2024-01-31")});
        t.append({integer(300), jet::Value{}});
    });
    EXPECT_TRUE(contains(m, "row 2") && contains(m, "column \"Tiny\"") && contains(m, "300")) << m;
    m = message([](jet::DatabaseCreator& c) {
        c.addTable("T", {{"When", ColumnType::DateTime}}).append({text("2024-13-01")});
    });
    EXPECT_TRUE(contains(m, "row 1") && contains(m, "2024-13-01")) << m;
    m = message([](jet::DatabaseCreator& c) {
        c.addTable("T", {{"S", ColumnType::Text, 3}}).append({text("abcd")});
    });
    EXPECT_TRUE(contains(m, "column \"S\"") && contains(m, "longer")) << m;

    // An existing file is never touched.
    std::ofstream(file.path) << "keep me";
    EXPECT_THROW(jet::DatabaseCreator(file.path, {}), jet::Error);
    std::ifstream in(file.path);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
}

TEST(CreateDatabase, TextFormsReadBackAsTheReaderPrintsThem) {
    for (const char* d :
         {"1899-12-30 00:00:00", "1899-12-29 06:00:00", "1815-12-10 13:14:15", "9999-12-31 23:59:59"})
        EXPECT_EQ(jet::formatDateTime(jet::parseDateTime(d)), d);
    EXPECT_EQ(jet::parseDateTime("1899-12-29 06:00:00"), -1.25);
    for (const char* c : {"0.0000", "-0.0001", "922337203685477.5807", "-922337203685477.5808"})
        EXPECT_EQ(jet::formatCurrency(jet::parseCurrency(c)), c);
    EXPECT_THROW(jet::parseCurrency("922337203685477.5808"), jet::Error);
    EXPECT_THROW(jet::parseCurrency("1.00001"), jet::Error);
    for (const char* d : {"0.00", "-12.50", "9999999999999999999999999.99"}) {
        jet::Bytes b = jet::parseDecimal(d, 28, 2);
        EXPECT_EQ(jet::formatDecimal(jet::ByteView(b.data(), b.size()), 2), d);
    }
    EXPECT_THROW(jet::parseDecimal("123.4", 3, 1), jet::Error);
    const std::string g = "{00112233-4455-6677-8899-AABBCCDDEEFF}";
    jet::Bytes b = jet::parseGuid(g);
    EXPECT_EQ(jet::formatGuid(jet::ByteView(b.data(), b.size())), g);
    EXPECT_EQ(b[0], 0x33); // the first groups are stored little-endian
}

TEST(CreateDatabase, AutoNumbersCountOnFromTheLastNumberUsed) {
    TempPath file("auto.mdb");
    {
        jet::DatabaseCreator c(file.path, {});
        auto& t =
            c.addTable("T", {{"ID", ColumnType::Long, 0, 18, 0, true, true}, {"Name", ColumnType::Text, 10}});
        t.append({jet::Value{}, text("a")});
        t.append({jet::Value{}, text("b")});
        t.append({integer(10), text("c")});
        t.append({jet::Value{}, text("d")});
        EXPECT_THROW(c.addTable("U", {{"A", ColumnType::Text, 5, 18, 0, true, true}}), jet::Error);
        EXPECT_THROW(c.addTable("V", {{"A", ColumnType::Long, 0, 18, 0, true, true},
                                      {"B", ColumnType::Long, 0, 18, 0, true, true}}),
                     jet::Error);
        c.finish();
    }
    auto db = jet::Database::open(file.path);
    auto def = db->table("T");
    EXPECT_TRUE(def->columns[0].autoNumber());
    EXPECT_EQ(def->nextAutoNumber, 11u); // the last number used, as Access records it
    std::vector<std::int64_t> ids;
    for (const auto& r : readAll(*db, "T"))
        ids.push_back(r[0].integer);
    EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 2, 10, 11}));
}
