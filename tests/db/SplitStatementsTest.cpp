// The statements the split sends, run through the data layer on databases the engine makes, and
// read back by the engine and, when it is installed, by mdb-reader.

#include "db/Access.h"
#include "db/Connection.h"
#include "db/Error.h"
#include "db/ValueIndex.h"
#include "jet/base/Error.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/write/DatabaseWriter.h"
#include "support/TempDir.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unordered_map>
#include <unistd.h>

namespace {

using testsupport::TempDir;

jet::Value text(const std::string& s) {
    return jet::Value::ofText(s);
}
jet::Value real(double d, jet::Value::Kind kind = jet::Value::Kind::Double) {
    return jet::Value::ofReal(d, kind);
}
jet::Value integer(std::int64_t n, jet::Value::Kind kind = jet::Value::Kind::Integer) {
    return jet::Value::ofInteger(n, kind);
}

// People(ID, FullName, Amount, Born, Pay), with repeated, quoted and missing values.
std::string makePeople(const TempDir& dir, jet::Version version, const std::string& password = "") {
    const std::string path =
        (dir.path / (version == jet::Version::Jet4 ? "people.mdb" : "people.accdb")).string();
    jet::CreateOptions options;
    options.version = version;
    options.password = password;
    jet::DatabaseCreator creator(path, options);
    auto& t = creator.addTable("People", {{"ID", jet::ColumnType::Long},
                                          {"FullName", jet::ColumnType::Text, 100},
                                          {"Amount", jet::ColumnType::Double},
                                          {"Born", jet::ColumnType::DateTime},
                                          {"Pay", jet::ColumnType::Currency}});
    using K = jet::Value::Kind;
    t.append({integer(1), text("Ada King Lovelace"), real(3.5), real(15327.25, K::DateTime),
              integer(12345, K::Currency)});
    t.append(
        {integer(2), text("Pat O'Brien"), real(0.1), real(44196, K::DateTime), integer(-5, K::Currency)});
    t.append({integer(3), text("Ada King Lovelace"), real(1e21), real(-1.5, K::DateTime),
              integer(0, K::Currency)});
    t.append({integer(4), jet::Value{}, jet::Value{}, jet::Value{}, jet::Value{}});
    t.append({integer(5), text(""), real(-2.25), real(0.5, K::DateTime), integer(10000, K::Currency)});
    creator.finish();
    return path;
}

std::string connectionString(const std::string& path, const std::string& password = "") {
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path +
           ";JET OLEDB:Database Password=" + password;
}

// Every row of a table as the data layer reads it, each value as its text (Null as "<null>").
std::vector<std::vector<std::string>> readAll(const std::string& cs, const std::string& table) {
    ADODB::Connection cn;
    cn.Open(cs);
    ADODB::RecordSet rs;
    rs.Open("SELECT * FROM `" + table + "`;", cn, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
    std::vector<std::vector<std::string>> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < rs.Fields().count(); ++i) {
            const db::Variant& v = rs.Fields()(i).Value();
            row.push_back(v.isNull() ? "<null>" : v.isText() ? v.get<std::string>() : "#");
        }
        rows.push_back(row);
    }
    return rows;
}

// mdb-reader's rows of the table as JSON Lines, or nothing when it is not installed.
std::optional<std::string> oracleRows(const std::string& path, const std::string& table) {
    const std::string oracle = std::string(FENDREL_ORACLE_DIR) + "/oracle.mjs";
    if (!std::filesystem::exists(std::string(FENDREL_ORACLE_DIR) + "/node_modules/mdb-reader"))
        return std::nullopt;
    const std::string command = "node '" + oracle + "' dump '" + path + "' rows '" + table + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return std::nullopt;
    std::string out;
    std::array<char, 4096> buf{};
    while (auto n = std::fread(buf.data(), 1, buf.size(), pipe.get()))
        out.append(buf.data(), n);
    return out;
}

class SplitStatements : public ::testing::TestWithParam<jet::Version> {};

} // namespace

TEST_P(SplitStatements, AddColumnsAndWritePiecesByTheSourceValue) {
    TempDir dir;
    const std::string path = makePeople(dir, GetParam());
    std::string dbPath = path, password;
    Access::SetConnectionInputs({[&] { return dbPath; }, [&] { return password; }});
    const std::string cs = Access::BuildConnectionString();

    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(cs);
    // The split's read of the field: a static cursor, its exact count, the field's type.
    ADODB::RecordSet field;
    field.Open("SELECT `FullName` FROM `People`", cn, ADODB::adOpenStatic, ADODB::adLockUnspecified);
    EXPECT_EQ(field.Fields()(0).Type(), ADODB::adVarWChar);
    EXPECT_EQ(field.RecordCount(), 5);
    EXPECT_EQ(field.Fields()(0).Value(), db::Variant("Ada King Lovelace"));
    // A grid keeps the rows it was given after the record set and its connection are gone.
    auto grid = field.DataSource();
    field.Close();
    // The column test opens a connection of its own while the split's is open.
    EXPECT_FALSE(Access::ColumnExists("People", "SPLITCOLUMN1"));
    cn.Execute("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    cn.Execute("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN2] VARCHAR");
    cn.Execute("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN3] VARCHAR");
    EXPECT_TRUE(Access::ColumnExists("People", "SPLITCOLUMN3"));
    // Another program cannot change the file meanwhile.
    EXPECT_THROW(jet::DatabaseWriter other(path), jet::Error);

    // Text, number and date sources, in the three forms the split writes.
    cn.Execute("UPDATE `People` SET SPLITCOLUMN1='Ada' WHERE `FullName` = 'Ada King Lovelace'");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN2='King' WHERE `FullName` = 'Ada King Lovelace'");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN3='Lovelace' WHERE `FullName` = 'Ada King Lovelace'");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN1='O''Brien' WHERE `FullName` = 'Pat O''Brien'");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN2='0' WHERE `Amount` = 0.1");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN2='1e+21' WHERE `Amount` = 1e+21");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN3='early' WHERE `Born` = #1899-12-29 12:00:00#");
    cn.Execute("UPDATE `People` SET SPLITCOLUMN3='' WHERE `Born` = #1899-12-30 12:00:00#");
    EXPECT_THROW(cn.Execute("UPDATE `People` SET SPLITCOLUMN1='x' WHERE `Pay` = '1.2345'"), db::Error);
    cn.Close();
    ASSERT_EQ(grid->fetched(), 5u);
    EXPECT_EQ(grid->row(1)[0], db::Variant("Pat O'Brien"));

    const auto rows = readAll(cs, "People");
    ASSERT_EQ(rows.size(), 5u);
    ASSERT_EQ(rows[0].size(), 8u);
    EXPECT_EQ(rows[0][5], "Ada");
    EXPECT_EQ(rows[0][6], "King");
    EXPECT_EQ(rows[0][7], "Lovelace");
    EXPECT_EQ(rows[2][5], "Ada"); // the same value: both records
    EXPECT_EQ(rows[2][6], "1e+21");
    EXPECT_EQ(rows[2][7], "early");
    EXPECT_EQ(rows[1][5], "O'Brien");
    EXPECT_EQ(rows[1][6], "0");
    EXPECT_EQ(rows[3][5], "<null>"); // Null source: untouched
    EXPECT_EQ(rows[4][7], "");       // an empty piece is written as empty text
    EXPECT_EQ(rows[1][1], "Pat O'Brien");

    if (auto json = oracleRows(path, "People")) {
        EXPECT_NE(json->find("\"SPLITCOLUMN1\":\"O'Brien\""), std::string::npos) << *json;
        EXPECT_NE(json->find("\"SPLITCOLUMN3\":\"Lovelace\""), std::string::npos) << *json;
        EXPECT_NE(json->find("\"SPLITCOLUMN3\":\"\""), std::string::npos) << *json;
    } else {
        std::fprintf(stderr, "mdb-reader is not installed: the file was not read back by it\n");
    }

    // A second run drops and makes the columns anew, empty.
    ADODB::Connection again;
    again.Mode = ADODB::adModeReadWrite;
    again.Open(cs);
    again.Execute("ALTER TABLE [People] DROP [SPLITCOLUMN2]");
    again.Execute("ALTER TABLE [People] ADD COLUMN [SPLITCOLUMN2] VARCHAR");
    again.Close();
    const auto after = readAll(cs, "People");
    EXPECT_EQ(after[0].back(), "<null>");
    EXPECT_EQ(after[0][5], "Ada");
    Access::SetConnectionInputs({});
}

TEST_P(SplitStatements, ReadOnlyConnectionsAndRefusals) {
    TempDir dir;
    const std::string path = makePeople(dir, GetParam());
    const std::string cs = connectionString(path);
    ADODB::Connection reader;
    reader.Open(cs);
    try {
        reader.Execute("ALTER TABLE [People] ADD COLUMN [X] VARCHAR");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.description(), "Cannot update. Database or object is read-only.");
    }
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(cs);
    EXPECT_THROW(cn.Execute("ALTER TABLE [People] ADD COLUMN [fullname] VARCHAR"), db::Error);
    EXPECT_THROW(cn.Execute("ALTER TABLE [People] ADD COLUMN [a.b] VARCHAR"), db::Error);
    EXPECT_THROW(cn.Execute("UPDATE `People` SET Split='x'"), db::Error);
    cn.Execute("ALTER TABLE [People] ADD COLUMN [Short] VARCHAR(3)");
    try {
        cn.Execute("UPDATE `People` SET Short='four' WHERE `ID` = 1");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_NE(e.description().find("too small"), std::string::npos);
    }
}

// Two names the WHERE index files under one hash, found by trying names until two meet.
std::pair<std::string, std::string> namesSharingAHash(const std::string& prefix = "Name ") {
    std::unordered_map<std::uint32_t, std::string> seen;
    for (int i = 0;; ++i) {
        std::string name = prefix + std::to_string(i);
        const auto [at, added] = seen.emplace(db::ValueIndex::hashOf(name), name);
        if (!added) return {at->second, name};
    }
}

TEST_P(SplitStatements, ValuesThatShareAHashChangeOnlyTheirOwnRows) {
    const auto [a, b] = namesSharingAHash();
    ASSERT_NE(a, b);
    TempDir dir;
    const std::string path = (dir.path / "shared.mdb").string();
    jet::CreateOptions options;
    options.version = GetParam();
    jet::DatabaseCreator creator(path, options);
    auto& t = creator.addTable("People", {{"ID", jet::ColumnType::Long}, {"FullName", jet::ColumnType::Text, 50}});
    t.append({integer(1), text(a)});
    t.append({integer(2), text(b)});
    t.append({integer(3), text(a)});
    // A hash only one name in the table stands for: the other finds none of its rows.
    const auto [held, absent] = namesSharingAHash("Other ");
    t.append({integer(4), text(held)});
    t.append({integer(5), text(held)});
    creator.finish();

    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(path));
    cn.Execute("ALTER TABLE [People] ADD COLUMN [S1] VARCHAR");
    long affected = -1;
    cn.Execute("UPDATE `People` SET S1='first' WHERE `FullName` = '" + a + "'", &affected);
    EXPECT_EQ(affected, 2);
    cn.Execute("UPDATE `People` SET S1='second' WHERE `FullName` = '" + b + "'", &affected);
    EXPECT_EQ(affected, 1);
    cn.Execute("UPDATE `People` SET S1='none' WHERE `FullName` = 'Name'", &affected);
    EXPECT_EQ(affected, 0);
    cn.Execute("UPDATE `People` SET S1='absent' WHERE `FullName` = '" + absent + "'", &affected);
    EXPECT_EQ(affected, 0);
    cn.Execute("UPDATE `People` SET S1='held' WHERE `FullName` = '" + held + "'", &affected);
    EXPECT_EQ(affected, 2);
    cn.Close();

    const auto rows = readAll(connectionString(path), "People");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][2], "first");
    EXPECT_EQ(rows[1][2], "second");
    EXPECT_EQ(rows[2][2], "first");
    EXPECT_EQ(rows[3][2], "held");
    EXPECT_EQ(rows[4][2], "held");
}

TEST(SplitStatementsPassword, TheWriterChecksThePasswordToo) {
    TempDir dir;
    const std::string path = makePeople(dir, jet::Version::Jet4, "s3cret");
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    try {
        cn.Open(connectionString(path, "wrong"));
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.description(), "Not a valid password.");
    }
    cn.Open(connectionString(path, "s3cret"));
    cn.Execute("ALTER TABLE [People] ADD COLUMN [S1] VARCHAR");
    // A second connection of this process shares the open session, but only with the password.
    ADODB::Connection second;
    second.Mode = ADODB::adModeReadWrite;
    EXPECT_THROW(second.Open(connectionString(path, "")), db::Error);
    second.Open(connectionString(path, "s3cret"));
    second.Execute("UPDATE `People` SET S1='x' WHERE `ID` = 2");
}

INSTANTIATE_TEST_SUITE_P(Formats, SplitStatements, ::testing::Values(jet::Version::Jet4, jet::Version::Ace12),
                         [](const auto& p) { return p.param == jet::Version::Jet4 ? "Jet4" : "Ace12"; });
