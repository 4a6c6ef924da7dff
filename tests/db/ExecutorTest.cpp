#include "db/Executor.h"
#include "db/Ado.h"
#include "db/Error.h"
#include "db/TextCase.h"
#include "db/sql/Parser.h"

#include <gtest/gtest.h>

namespace {

// A table in memory standing in for the engine: rows keyed by their position.
class MemoryStore : public db::TableStore {
public:
    std::string name = "People";
    std::vector<db::StoreColumn> cols;
    std::vector<std::vector<db::Variant>> rows;
    int scans = 0;
    int updates = 0;

    bool system = false;

    std::string tableName(const std::string& n) override {
        if (!db::sameName(n, name)) throw db::Error(db::ErrorNumber::TableNotFound, "no table " + n);
        return name;
    }
    bool isSystemTable(const std::string&) override { return system; }
    std::vector<db::StoreColumn> columns(const std::string&) override { return cols; }
    void scan(const std::string&, std::size_t column,
              const std::function<void(db::RowKey, const db::Variant&)>& visit) override {
        ++scans;
        for (std::size_t r = 0; r < rows.size(); ++r)
            visit(r, rows[r][column]);
    }
    bool update(const std::string&, db::RowKey row, const std::vector<std::pair<std::size_t, db::Variant>>& values,
                const db::RowTest* only) override {
        if (only && !only->holds(rows[row][only->column])) return false;
        ++updates;
        for (const auto& [i, v] : values)
            rows[row][i] = v;
        return true;
    }
    void addTextColumn(const std::string&, const std::string& column, int size) override {
        cols.push_back({column, ADODB::adVarWChar, size});
        for (auto& r : rows)
            r.emplace_back();
    }
    void dropColumn(const std::string&, const std::string& column) override {
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (cols[i].name == column) {
                cols.erase(cols.begin() + static_cast<long>(i));
                for (auto& r : rows)
                    r.erase(r.begin() + static_cast<long>(i));
                return;
            }
    }
};

MemoryStore people() {
    MemoryStore s;
    s.cols = {{"Name", ADODB::adVarWChar, 50}, {"Score", ADODB::adDouble, 0}, {"Born", ADODB::adDate, 0},
              {"Weight", ADODB::adSingle, 0},  {"Pay", ADODB::adCurrency, 0}, {"Age", ADODB::adInteger, 0}};
    s.rows = {{"Ada Lovelace", 0.1, db::Date{-20000.5}, 0.1f, db::Currency{123400}, std::int64_t{36}},
              {"ada lovelace", 3.5, db::Date{44000}, 1.5f, db::Currency{0}, std::int64_t{-1}},
              {"Ada Lovelace", db::Variant(), db::Variant(), db::Variant(), db::Variant(), db::Variant()},
              {"O'Brien", 1e21, db::Date{0.25}, 2.0f, db::Currency{-5}, std::int64_t{9007199254740993}}};
    return s;
}

std::size_t update(db::Executor& x, const std::string& sql) {
    return x.run(std::get<db::sql::Update>(db::sql::parse(sql)));
}

// Runs an ALTER TABLE ... ADD COLUMN or DROP.
void alter(db::Executor& x, const std::string& sql) {
    std::visit(
        [&](const auto& st) {
            if constexpr (std::is_same_v<std::decay_t<decltype(st)>, db::sql::AddColumn> ||
                          std::is_same_v<std::decay_t<decltype(st)>, db::sql::DropColumn>)
                x.run(st);
            else
                FAIL() << "not an ALTER TABLE: " << sql;
        },
        db::sql::parse(sql));
}

std::string errorOf(db::Executor& x, const std::string& sql) {
    try {
        update(x, sql);
    } catch (const db::Error& e) {
        return e.description();
    }
    return "";
}

// One row per value to hold numbers of every width, and a Yes/No column.
MemoryStore numbers() {
    MemoryStore s;
    s.cols = {{"Pay", ADODB::adCurrency},   {"Score", ADODB::adDouble},
              {"Weight", ADODB::adSingle},  {"Tiny", ADODB::adUnsignedTinyInt},
              {"Small", ADODB::adSmallInt}, {"Long", ADODB::adInteger},
              {"Big", ADODB::adBigInt},     {"Amount", ADODB::adNumeric, 0, 5, 2},
              {"Active", ADODB::adBoolean}, {"Note", ADODB::adVarWChar, 20}};
    s.rows = {{db::Currency{0}, 0.0, 0.0f, std::int64_t{0}, std::int64_t{0}, std::int64_t{0}, std::int64_t{0},
               db::Decimal{"0.00"}, true, db::Variant()},
              {db::Currency{10000}, 1.0, 1.0f, std::int64_t{1}, std::int64_t{1}, std::int64_t{1},
               std::int64_t{1}, db::Decimal{"1.00"}, false, db::Variant()},
              {db::Currency{-10000}, -1.0, -1.0f, std::int64_t{255}, std::int64_t{-1}, std::int64_t{-1},
               std::int64_t{-1}, db::Decimal{"-1.00"}, true, db::Variant()}};
    return s;
}

std::string overflowOf(db::Executor& x, const std::string& sql) {
    try {
        update(x, sql);
    } catch (const db::Error& e) {
        return e.number() == db::ErrorNumber::NumericOverflow ? e.description() : "other: " + e.description();
    }
    return "stored";
}

} // namespace

TEST(Executor, FindsRowsByTheirExactValue) {
    MemoryStore s = people();
    db::Executor x(s);
    x.run(std::get<db::sql::AddColumn>(db::sql::parse("ALTER TABLE [people] ADD COLUMN [S1] VARCHAR")));
    // Texts match case-sensitively, so both "Ada Lovelace" rows and not the lower-case one.
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='Ada' WHERE `Name` = 'Ada Lovelace'"), 2u);
    EXPECT_EQ(s.rows[0][6], db::Variant("Ada"));
    EXPECT_TRUE(s.rows[1][6].isNull());
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='O' WHERE `Name` = 'O''Brien'"), 1u);
    // Numbers and dates by value, in the column's own type.
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Score` = 0.1"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Score` = 1e+21"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Weight` = 0.1"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Pay` = 12.34"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Pay` = -0.0005"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Age` = 9007199254740993"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Age` = 36.5"), 0u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Born` = #1899-12-30 06:00:00#"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Born` = #1845-03-28 12:00:00#"), 1u);
    // Null equals nothing, not even a Null value.
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x' WHERE `Score` = Null"), 0u);
    // Without WHERE, every row.
    EXPECT_EQ(update(x, "UPDATE People SET S1 = Null"), 4u);
    EXPECT_TRUE(s.rows[3][6].isNull());
}

TEST(Executor, AValueInManyRowsReachesEachOfThemAndNoOther) {
    // Values repeated in interleaved rows, and some in one row only: each statement reaches exactly
    // the rows holding its value.
    MemoryStore s;
    s.cols = {{"Name", ADODB::adVarWChar, 50}, {"Out", ADODB::adVarWChar, 50}};
    for (int r = 0; r < 1000; ++r)
        s.rows.push_back({db::Variant(r % 10 == 9 ? "one " + std::to_string(r) : "v" + std::to_string(r % 7)),
                          db::Variant()});
    db::Executor x(s);
    for (int v = 0; v < 7; ++v)
        update(x, "UPDATE `People` SET Out='" + std::to_string(v) + "' WHERE `Name` = 'v" +
                      std::to_string(v) + "'");
    EXPECT_EQ(update(x, "UPDATE `People` SET Out='single' WHERE `Name` = 'one 509'"), 1u);
    for (int r = 0; r < 1000; ++r) {
        const std::string want = r == 509 ? "single" : r % 10 == 9 ? "" : std::to_string(r % 7);
        const db::Variant& got = s.rows[static_cast<std::size_t>(r)][1];
        EXPECT_EQ(got.isNull() ? std::string() : got.get<std::string>(), want) << "row " << r;
    }
    EXPECT_EQ(x.indexesBuilt(), 1u);
}

TEST(Executor, IndexesAColumnOnceWhileItIsUnchanged) {
    MemoryStore s = people();
    db::Executor x(s);
    x.run(std::get<db::sql::AddColumn>(db::sql::parse("ALTER TABLE People ADD S1 TEXT(20)")));
    for (int i = 0; i < 50; ++i)
        update(x, "UPDATE `People` SET S1='a' WHERE `Name` = 'Ada Lovelace'");
    EXPECT_EQ(x.indexesBuilt(), 1u);
    EXPECT_EQ(s.scans, 1);
    // Changing the indexed column makes the index stale: the next lookup reads the column again
    // and sees the new values.
    update(x, "UPDATE `People` SET Name='Grace' WHERE `Name` = 'O''Brien'");
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='g' WHERE `Name` = 'Grace'"), 1u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='g' WHERE `Name` = 'O''Brien'"), 0u);
    EXPECT_EQ(x.indexesBuilt(), 2u);
}

TEST(Executor, RefusesBeforeChangingAnything) {
    MemoryStore s = people();
    db::Executor x(s);
    x.run(std::get<db::sql::AddColumn>(db::sql::parse("ALTER TABLE People ADD S1 VARCHAR(3)")));
    EXPECT_EQ(errorOf(x, "UPDATE `People` SET S1='x' WHERE `Score` = '0.1'"),
              "Data type mismatch in criteria expression.");
    EXPECT_EQ(errorOf(x, "UPDATE `People` SET S1='x' WHERE `Name` = 5"),
              "Data type mismatch in criteria expression.");
    EXPECT_NE(errorOf(x, "UPDATE `People` SET S1='long' WHERE `Name` = 'Ada Lovelace'").find("too small"),
              std::string::npos);
    EXPECT_NE(errorOf(x, "UPDATE `People` SET Nope='x'").find("'Nope'"), std::string::npos);
    EXPECT_NE(errorOf(x, "UPDATE `People` SET S1='x' WHERE Nope = 1").find("'Nope'"), std::string::npos);
    EXPECT_EQ(s.updates, 0);
    // Three characters fit, counted as Access counts them: in UTF-16 units, two for a character beyond
    // the Basic Multilingual Plane.
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='Łód' WHERE `Name` = 'Ada Lovelace'"), 2u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='\U0001F600a' WHERE `Name` = 'Ada Lovelace'"), 2u);
    EXPECT_NE(errorOf(x, "UPDATE `People` SET S1='\U0001F600\U0001F600' WHERE `Name` = 'Ada Lovelace'")
                  .find("too small"),
              std::string::npos);
}

TEST(Executor, AddsAndDropsColumns) {
    MemoryStore s = people();
    db::Executor x(s);
    alter(x, "ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    EXPECT_EQ(s.cols.back().maxLength, 255);
    try {
        alter(x, "ALTER TABLE [People] ADD COLUMN [splitcolumn1] VARCHAR");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.description(), "Field 'splitcolumn1' already exists in table 'People'.");
    }
    update(x, "UPDATE `People` SET SPLITCOLUMN1='x' WHERE `Name` = 'Ada Lovelace'");
    alter(x, "ALTER TABLE [People] DROP [SPLITCOLUMN1]");
    EXPECT_THROW(alter(x, "ALTER TABLE [People] DROP [SPLITCOLUMN1]"), db::Error);
    EXPECT_THROW(alter(x, "ALTER TABLE [Nobody] ADD COLUMN [A] VARCHAR"), db::Error);
    alter(x, "ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    EXPECT_TRUE(s.rows[0].back().isNull()); // made anew, empty
}

TEST(Executor, RefusesEveryChangeToASystemTable) {
    MemoryStore s = people();
    s.name = "MSysObjects";
    s.system = true;
    db::Executor x(s);
    const std::string refused = "You do not have the necessary permissions to use the 'MSysObjects' object. "
                                "Have your system administrator or the person who created this object "
                                "establish the appropriate permissions for you.";
    EXPECT_EQ(errorOf(x, "UPDATE msysobjects SET Name='x' WHERE Name = 'Ada Lovelace'"), refused);
    for (const char* sql :
         {"ALTER TABLE MSysObjects ADD COLUMN X VARCHAR", "ALTER TABLE MSysObjects DROP Name"}) {
        try {
            const auto st = db::sql::parse(sql);
            if (auto* add = std::get_if<db::sql::AddColumn>(&st)) x.run(*add);
            if (auto* drop = std::get_if<db::sql::DropColumn>(&st)) x.run(*drop);
            ADD_FAILURE() << sql;
        } catch (const db::Error& e) {
            EXPECT_EQ(e.description(), refused);
            EXPECT_EQ(e.number(), db::ErrorNumber::PermissionDenied);
        }
    }
    EXPECT_EQ(s.scans, 0);
    EXPECT_EQ(s.updates, 0);
    EXPECT_EQ(s.cols.size(), 6u);
}

TEST(Executor, StoresNumbersExactlyAndRefusesThoseOutOfRange) {
    MemoryStore s = numbers();
    db::Executor x(s);
    auto stored = [&](const std::string& set, std::size_t col) {
        EXPECT_EQ(overflowOf(x, "UPDATE People SET " + set), "stored") << set;
        return s.rows[0][col];
    };
    // Currency from its digits, never through a double: the largest amounts, and rounding to four
    // places half away from zero.
    EXPECT_EQ(stored("Pay=922337203685477.5807", 0), db::Variant(db::Currency{INT64_MAX}));
    EXPECT_EQ(stored("Pay=-922337203685477.5808", 0), db::Variant(db::Currency{INT64_MIN}));
    EXPECT_EQ(stored("Pay=12345678901234.5678", 0), db::Variant(db::Currency{123456789012345678}));
    EXPECT_EQ(stored("Pay=1.23445", 0), db::Variant(db::Currency{12345}));
    EXPECT_EQ(stored("Pay=-1.23445", 0), db::Variant(db::Currency{-12345}));
    EXPECT_EQ(stored("Pay=0.00004999", 0), db::Variant(db::Currency{0}));
    EXPECT_EQ(stored("Pay=9.99995", 0), db::Variant(db::Currency{100000}));
    EXPECT_EQ(stored("Pay=1.5e3", 0), db::Variant(db::Currency{15000000}));
    // Decimal(5, 2): rounded to its scale, refused beyond its precision.
    EXPECT_EQ(stored("Amount=999.99", 7), db::Variant(db::Decimal{"999.99"}));
    EXPECT_EQ(stored("Amount=1.005", 7), db::Variant(db::Decimal{"1.01"}));
    EXPECT_EQ(stored("Amount=-0.001", 7), db::Variant(db::Decimal{"0"}));
    // Whole numbers at the edges of their types; a whole number written with an exponent.
    EXPECT_EQ(stored("Tiny=255", 3), db::Variant(std::int64_t{255}));
    EXPECT_EQ(stored("Small=-32768", 4), db::Variant(std::int64_t{-32768}));
    EXPECT_EQ(stored("Long=2147483647", 5), db::Variant(std::int64_t{2147483647}));
    EXPECT_EQ(stored("Big=-9223372036854775808", 6), db::Variant(std::int64_t{INT64_MIN}));
    EXPECT_EQ(stored("Big=1e3", 6), db::Variant(std::int64_t{1000}));
    // Numbers too small for their type become 0.
    EXPECT_EQ(stored("Score=1e-400", 1), db::Variant(0.0));
    EXPECT_EQ(stored("Weight=1e-50", 2), db::Variant(0.0f));
    EXPECT_EQ(stored("Weight=3.4028234e38", 2), db::Variant(3.4028234e38f));

    s = numbers();
    const int updatesBefore = s.updates;
    for (const char* set : {"Pay=922337203685477.5808",
                            "Pay=-922337203685477.58085",
                            "Pay=1e300",
                            "Pay=1e400",
                            "Pay=1e999999999999",
                            "Score=1e400",
                            "Score=-1.8e308",
                            "Weight=3.5e38",
                            "Weight=-1e39",
                            "Amount=1000",
                            "Amount=999.995",
                            "Amount=1e30",
                            "Tiny=256",
                            "Tiny=-1",
                            "Tiny=True",
                            "Small=32768",
                            "Long=-2147483649",
                            "Big=9223372036854775808",
                            "Big=99999999999999999999",
                            "Big=1e19",
                            "Pay=1, Score=1e999"})
        EXPECT_EQ(overflowOf(x, std::string("UPDATE People SET ") + set), "Numeric field overflow.") << set;
    EXPECT_EQ(s.updates, updatesBefore);
    EXPECT_EQ(s.rows[0][0], db::Variant(db::Currency{0}));
}

TEST(Executor, ALiteralNoValueCanEqualMatchesNothing) {
    MemoryStore s = numbers();
    db::Executor x(s);
    // Each column holds 0 (and 1 and -1): a literal out of range must not be read as one of them.
    for (const char* where :
         {"Pay = 1e999", "Pay = -1e400", "Pay = 0.00001", "Pay = 922337203685477.5808", "Score = 1e999",
          "Score = -1e400", "Weight = 1e999", "Weight = 3.5e38", "Long = 1e999",
          "Long = 99999999999999999999", "Long = 0.5", "Big = 18446744073709551616", "Amount = 1e999",
          "Amount = 0.000000000000000000000000000001"})
        EXPECT_EQ(update(x, std::string("UPDATE People SET Note='x' WHERE ") + where), 0u) << where;
    // Exact values still match, whichever way they are written.
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Pay = 1.0000"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Pay = 1e0"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Long = 1e0"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Amount = -1"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Score = 1e-400"), 1u); // 0 as a Double
}

TEST(Executor, YesNoLiteralsCompareAsTheStoredMinusOneAndZero) {
    MemoryStore s = numbers(); // Active: Yes, No, Yes
    db::Executor x(s);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = 1"), 0u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = 2"), 0u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = 0.5"), 0u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = -1"), 2u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = True"), 2u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = yes"), 2u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = 0"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = False"), 1u);
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Active = No"), 1u);
    // Whole-number columns read True as -1 too.
    EXPECT_EQ(update(x, "UPDATE People SET Note='x' WHERE Long = True"), 1u);
}

TEST(Executor, ADroppedColumnsIndexGoesWithIt) {
    // A column made anew under a dropped one's name holds none of its values, so the index built on
    // the old one must not answer for it.
    MemoryStore s = people();
    db::Executor x(s);
    alter(x, "ALTER TABLE [People] ADD COLUMN [S1] VARCHAR");
    alter(x, "ALTER TABLE [People] ADD COLUMN [S2] VARCHAR");
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='x'"), 4u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S2='seen' WHERE `S1` = 'x'"), 4u);
    alter(x, "ALTER TABLE [People] DROP [S1]");
    alter(x, "ALTER TABLE [People] ADD COLUMN [S1] VARCHAR");
    EXPECT_EQ(update(x, "UPDATE `People` SET S2='again' WHERE `S1` = 'x'"), 0u);
    for (const auto& row : s.rows)
        EXPECT_EQ(row[6], db::Variant("seen")); // S2, now before the new S1
}

TEST(Executor, NegativeZeroIsZero) {
    MemoryStore s = people();
    s.rows[0][1] = -0.0;
    s.rows[1][1] = 0.0;
    db::Executor x(s);
    x.run(std::get<db::sql::AddColumn>(db::sql::parse("ALTER TABLE People ADD S1 TEXT(20)")));
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='zero' WHERE `Score` = 0"), 2u);
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='neg' WHERE `Score` = -0"), 2u);
    EXPECT_EQ(s.rows[0][6], db::Variant("neg"));
    EXPECT_EQ(s.rows[1][6], db::Variant("neg"));
}

TEST(Executor, ColumnsFoundAgainAfterTheTableChanges) {
    // The executor keeps what it found of a table between statements; after a column is dropped
    // or added, the columns behind it have moved and a new one must be found.
    MemoryStore s = people();
    db::Executor x(s);
    alter(x, "ALTER TABLE [People] ADD COLUMN [S1] VARCHAR");
    alter(x, "ALTER TABLE [People] ADD COLUMN [S2] VARCHAR");
    EXPECT_EQ(update(x, "UPDATE `People` SET S2='a' WHERE `Name` = 'O''Brien'"), 1u);
    EXPECT_EQ(s.rows[3][7], db::Variant("a"));
    alter(x, "ALTER TABLE [people] DROP [S1]"); // the same table, spelled otherwise
    EXPECT_EQ(update(x, "UPDATE `People` SET S2='b' WHERE `Name` = 'O''Brien'"), 1u);
    ASSERT_EQ(s.rows[3].size(), 7u);
    EXPECT_EQ(s.rows[3][6], db::Variant("b"));
    EXPECT_NE(errorOf(x, "UPDATE `People` SET S1='c'"), "");
    alter(x, "ALTER TABLE [People] ADD COLUMN [S3] VARCHAR");
    EXPECT_EQ(update(x, "UPDATE `People` SET S3='d' WHERE `Name` = 'O''Brien'"), 1u);
    EXPECT_EQ(s.rows[3][7], db::Variant("d"));
}
