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

    std::string tableName(const std::string& n) override {
        if (!db::sameName(n, name)) throw db::Error(db::ErrorNumber::TableNotFound, "no table " + n);
        return name;
    }
    std::vector<db::StoreColumn> columns(const std::string&) override { return cols; }
    void scan(const std::string&, std::size_t column,
              const std::function<void(db::RowKey, const db::Variant&)>& visit) override {
        ++scans;
        for (std::size_t r = 0; r < rows.size(); ++r)
            visit(r, rows[r][column]);
    }
    void update(const std::string&, db::RowKey row,
                const std::vector<std::pair<std::size_t, db::Variant>>& values) override {
        ++updates;
        for (const auto& [i, v] : values)
            rows[row][i] = v;
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

std::string errorOf(db::Executor& x, const std::string& sql) {
    try {
        update(x, sql);
    } catch (const db::Error& e) {
        return e.description();
    }
    return "";
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
    // Three characters fit, counted as Access counts them.
    EXPECT_EQ(update(x, "UPDATE `People` SET S1='Łód' WHERE `Name` = 'Ada Lovelace'"), 2u);
}

TEST(Executor, AddsAndDropsColumns) {
    MemoryStore s = people();
    db::Executor x(s);
    auto add = [&](const std::string& sql) { x.run(std::get<db::sql::AddColumn>(db::sql::parse(sql))); };
    auto drop = [&](const std::string& sql) { x.run(std::get<db::sql::DropColumn>(db::sql::parse(sql))); };
    add("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    EXPECT_EQ(s.cols.back().maxLength, 255);
    try {
        add("ALTER TABLE [People] ADD COLUMN [splitcolumn1] VARCHAR");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.description(), "Field 'splitcolumn1' already exists in table 'People'.");
    }
    update(x, "UPDATE `People` SET SPLITCOLUMN1='x' WHERE `Name` = 'Ada Lovelace'");
    drop("ALTER TABLE [People] DROP [SPLITCOLUMN1]");
    EXPECT_THROW(drop("ALTER TABLE [People] DROP [SPLITCOLUMN1]"), db::Error);
    EXPECT_THROW(add("ALTER TABLE [Nobody] ADD COLUMN [A] VARCHAR"), db::Error);
    add("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    EXPECT_TRUE(s.rows[0].back().isNull()); // made anew, empty
}
