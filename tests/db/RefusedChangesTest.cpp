// Statements the data layer refuses, run through a connection on files the engine makes and on
// copies of real Access files: each is refused with the provider's kind of message, before anything
// is written, so the file stays byte for byte as it was.

#include "DbFixtures.h"

#include "db/Connection.h"
#include "db/Error.h"
#include "jet/base/Error.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/write/DatabaseWriter.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

using testsupport::TempDir;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string connectionString(const std::string& path) {
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path + ";";
}

void openForChanging(ADODB::Connection& cn, const std::string& path) {
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(path));
}

// The error a statement gets on a connection that may change the file; "" when it runs.
db::Error refusal(ADODB::Connection& cn, const std::string& sql) {
    try {
        cn.Execute(sql);
    } catch (const db::Error& e) {
        return e;
    }
    return db::Error(0, "");
}

std::string noPermission(const std::string& table) {
    return "You do not have the necessary permissions to use the '" + table +
           "' object. Have your system administrator or the person who created this object establish the "
           "appropriate permissions for you.";
}

std::string makeSmall(const TempDir& dir, jet::Version version) {
    const std::string path = dir.file(version == jet::Version::Jet4 ? "small.mdb" : "small.accdb");
    jet::CreateOptions options;
    options.version = version;
    jet::DatabaseCreator creator(path, options);
    auto& t = creator.addTable("Table1", {{"ID", jet::ColumnType::Long},
                                          {"Name", jet::ColumnType::Text, 50},
                                          {"Pay", jet::ColumnType::Currency},
                                          {"Amount", jet::ColumnType::Double},
                                          {"Active", jet::ColumnType::Boolean}});
    t.append({jet::Value::ofInteger(1), jet::Value::ofText("one"),
              jet::Value::ofInteger(0, jet::Value::Kind::Currency), jet::Value::ofReal(0),
              jet::Value::ofBoolean(true)});
    creator.finish();
    return path;
}

class RefusedChanges : public ::testing::TestWithParam<jet::Version> {};

} // namespace

TEST_P(RefusedChanges, NoStatementChangesASystemTable) {
    TempDir dir;
    const std::string path = makeSmall(dir, GetParam());
    const std::string before = bytesOf(path);
    {
        ADODB::Connection cn;
        openForChanging(cn, path);
        // Every kind of change, the table named in any case; the message spells it as the catalog does.
        for (const auto& [sql, table] : std::vector<std::pair<std::string, std::string>>{
                 {"ALTER TABLE MSysObjects DROP COLUMN Type", "MSysObjects"},
                 {"UPDATE MSysObjects SET Type=99 WHERE Name='Table1'", "MSysObjects"},
                 {"UPDATE [msysobjects] SET Flags=0", "MSysObjects"},
                 {"ALTER TABLE [MSYSACES] ADD COLUMN [X] VARCHAR", "MSysACEs"},
                 {"ALTER TABLE MSysQueries DROP COLUMN Expression", "MSysQueries"},
                 {"UPDATE `MSysRelationships` SET szColumn='x'", "MSysRelationships"}}) {
            const db::Error e = refusal(cn, sql);
            EXPECT_EQ(e.description(), noPermission(table)) << sql;
            EXPECT_EQ(e.number(), db::ErrorNumber::PermissionDenied) << sql;
        }
    }
    // The engine's writing session refuses them too, for the tools that reach it directly.
    {
        jet::DatabaseWriter writer(path);
        EXPECT_THROW(writer.dropColumn("MSysObjects", "Type"), jet::Unsupported);
        EXPECT_THROW(writer.addTextColumn("msysaces", "X"), jet::Unsupported);
        EXPECT_THROW(writer.update("MSysObjects", 0, {}), jet::Unsupported);
    }
    EXPECT_EQ(bytesOf(path), before);
    // The user's own table still changes.
    ADODB::Connection cn;
    openForChanging(cn, path);
    cn.Execute("ALTER TABLE Table1 ADD COLUMN S1 VARCHAR");
    cn.Execute("UPDATE Table1 SET S1='x' WHERE ID = 1");
}

TEST_P(RefusedChanges, LiteralsThatDoNotFitChangeNothing) {
    TempDir dir;
    const std::string path = makeSmall(dir, GetParam());
    const std::string before = bytesOf(path);
    {
        ADODB::Connection cn;
        openForChanging(cn, path);
        for (const char* sql :
             {"UPDATE Table1 SET Pay=922337203685477.5808", "UPDATE Table1 SET Pay=1e300",
              "UPDATE Table1 SET Amount=1e400 WHERE ID = 1", "UPDATE Table1 SET ID=2147483648"}) {
            const db::Error e = refusal(cn, sql);
            EXPECT_EQ(e.description(), "Numeric field overflow.") << sql;
            EXPECT_EQ(e.number(), db::ErrorNumber::NumericOverflow) << sql;
        }
        EXPECT_NE(refusal(cn, std::string("UPDATE Table1 SET Name='a\0b'", 28)).description().find("NUL"),
                  std::string::npos);
        // Literals no value can equal: the row holding 0 and Yes is not reached.
        cn.Execute("UPDATE Table1 SET Name='big' WHERE Amount = 1e999");
        cn.Execute("UPDATE Table1 SET Name='big' WHERE Pay = -1e400");
        cn.Execute("UPDATE Table1 SET Name='yes' WHERE Active = 1");
    }
    EXPECT_EQ(bytesOf(path), before);
}

INSTANTIATE_TEST_SUITE_P(Formats, RefusedChanges, ::testing::Values(jet::Version::Jet4, jet::Version::Ace12),
                         [](const auto& p) { return p.param == jet::Version::Jet4 ? "Jet4" : "Ace12"; });

// Real files: a table only the catalog's flags mark (a complex column's hidden table) and one only its
// name marks (Access's MSysCompactError, flags 0), on copies that stay byte-identical.
TEST(RefusedChangesFixtures, SystemTablesByFlagOrByName) {
    struct Case {
        const char* file;
        const char* table;
    };
    for (const Case c : {Case{"ace12-attachments.accdb", "f_C6D29A8E61514CBAB1FA6881739A7137_Data"},
                         Case{"ace12-2007-memo-ole.accdb", "MSysCompactError"},
                         Case{"jet4-2003-unicode.mdb", "MSysNameMap"}}) {
        FIXTURE_OR_SKIP(original, c.file);
        TempDir dir;
        const std::string copy = writableCopy(original, dir.path);
        const std::string before = bytesOf(copy);
        {
            ADODB::Connection cn;
            openForChanging(cn, copy);
            EXPECT_EQ(refusal(cn, std::string("ALTER TABLE [") + c.table + "] ADD COLUMN [S1] VARCHAR")
                          .description(),
                      noPermission(c.table));
            EXPECT_EQ(refusal(cn, std::string("UPDATE [") + c.table + "] SET [S1]='x'").description(),
                      noPermission(c.table));
        }
        EXPECT_EQ(bytesOf(copy), before) << c.file;
    }
}
