#include "DbFixtures.h"

#include "db/Access.h"
#include "db/Connection.h"
#include "db/CreateObject.h"
#include "db/Error.h"

#include "jet/create/DatabaseCreator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string ace(const std::string& path, const std::string& password = "") {
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path +
           ";JET OLEDB:Database Password=" + password;
}
std::string jet4(const std::string& path, const std::string& password = "") {
    return "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
           ";JET OLEDB:Database Password=" + password;
}

std::string openError(const std::string& connectionString) {
    ADODB::Connection cn;
    try {
        cn.Open(connectionString);
    } catch (const db::Error& e) {
        return e.description();
    }
    return "";
}

} // namespace

TEST(Connection, ProvidersOpenTheFormatsTheyKnow) {
    FIXTURE_OR_SKIP(mdb97, "jet3-97-basic.mdb");
    FIXTURE_OR_SKIP(mdb, "jet4-2003-nopassword.mdb");
    FIXTURE_OR_SKIP(accdb, "ace14-2010-nopassword.accdb");
    EXPECT_EQ(openError(jet4(mdb97)), "");
    EXPECT_EQ(openError(jet4(mdb)), "");
    EXPECT_EQ(openError(ace(mdb)), "");
    EXPECT_EQ(openError(ace(accdb)), "");
    // The format comes from the file, never from its name.
    EXPECT_EQ(openError(jet4(accdb)), "Unrecognized database format '" + accdb + "'.");
    EXPECT_EQ(openError(ace("/no/such/file.accdb")), "Could not find file '/no/such/file.accdb'.");
}

TEST(Connection, ChecksTheDatabasePassword) {
    FIXTURE_OR_SKIP(file, "jet4-2003-password.mdb");
    EXPECT_EQ(openError(jet4(file, "password")), "");
    EXPECT_EQ(openError(jet4(file, "Password")), "Not a valid password.");
    EXPECT_EQ(openError(jet4(file)), "Not a valid password.");
    ADODB::Connection cn;
    try {
        cn.Open(jet4(file, "wrong"));
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::InvalidPassword);
    }
}

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Connection, OpensAnEncryptedAccdbWithThePasswordOfTheConnectionString) {
    testsupport::TempDir dir;
    const std::string file = dir.file("locked.accdb");
    // Taken as given: blanks and a non-ASCII letter.
    const std::string password = " Sésame 1";
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        o.password = password;
        o.spinCount = 500;
        jet::DatabaseCreator c(file, o);
        c.addTable("Doors", {{"Name", jet::ColumnType::Text, 50}}).append({jet::Value::ofText("Ali Baba")});
        c.finish();
    }
    const std::vector<char> before = bytesOf(file);
    for (const std::string& wrong : {std::string(), std::string(" sésame 1"), std::string("Sésame 1"), std::string(" Sésame")}) {
        for (auto mode : {ADODB::adModeRead, ADODB::adModeReadWrite}) {
            ADODB::Connection cn;
            cn.Mode = mode;
            try {
                cn.Open(ace(file, wrong));
                ADD_FAILURE() << "opened with \"" << wrong << "\"";
            } catch (const db::Error& e) {
                EXPECT_EQ(e.number(), db::ErrorNumber::InvalidPassword);
                EXPECT_EQ(e.description(), "Not a valid password.");
            }
        }
    }
    EXPECT_EQ(bytesOf(file), before);

    ADODB::Connection cn;
    cn.Open(ace(file, password));
    ADODB::RecordSet rs;
    rs.Open("SELECT [Name] FROM [Doors]", cn);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs("Name").Value(), db::Variant("Ali Baba"));
}

TEST(Connection, SchemaListsEveryTableLikeObjectWithItsKind) {
    FIXTURE_OR_SKIP(file, "jet4-2003-index-pk.mdb");
    ADODB::Connection cn;
    cn.Open(ace(file));
    ADODB::RecordSet schema = cn.OpenSchema(ADODB::adSchemaTables);
    std::vector<std::string> user, system;
    while (!schema.Eof()) {
        const auto& type = schema("TABLE_TYPE").Value().get<std::string>();
        (type == "TABLE" ? user : system).push_back(schema.Fields()("table_name").Value().get<std::string>());
        schema.MoveNext();
    }
    EXPECT_EQ(user, (std::vector<std::string>{"Table1", "Table2", "Table3"}));
    EXPECT_FALSE(system.empty());
    EXPECT_THROW(schema.MoveNext(), db::Error);
    EXPECT_THROW(schema("TABLE_NAME").Value(), db::Error);
}

TEST(RecordSet, ReadsATableWithTypesAndValues) {
    FIXTURE_OR_SKIP(original, "ace12-2007-basic.accdb");
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir.path);
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(ace(file));
    cn.CursorLocation = ADODB::adUseClient;
    ADODB::RecordSet rs;
    rs.Open("SELECT * FROM [table1];", cn, ADODB::adOpenUnspecified, ADODB::adLockReadOnly);
    ASSERT_EQ(rs.Fields().count(), 9);
    std::vector<int> types;
    for (int i = 0; i < rs.Fields().count(); ++i)
        types.push_back(rs.Fields()(i).Type());
    EXPECT_EQ(types, (std::vector<int>{202, 202, 17, 2, 3, 5, 7, 6, 11}));
    EXPECT_EQ(rs.Fields()(0).Name(), "A");
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs("A").Value(), db::Variant("a"));
    rs.MoveNext();
    EXPECT_EQ(rs("e").Value(), db::Variant(333333333));
    EXPECT_EQ(rs("F").Value(), db::Variant(444.555));
    EXPECT_EQ(rs("H").Value(), db::Variant(db::Currency{35000}));
    EXPECT_EQ(rs("I").Value(), db::Variant(true));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    rs.Close();
    EXPECT_THROW(rs.Eof(), db::Error);

    ADODB::RecordSet one;
    one.Open("SELECT `g` FROM `TABLE1`", cn, ADODB::adOpenStatic, ADODB::adLockUnspecified);
    EXPECT_EQ(one.Fields().count(), 1);
    EXPECT_EQ(one.Fields()(0).Name(), "G"); // the table's own spelling
}

TEST(RecordSet, FailsForMissingTablesAndColumns) {
    FIXTURE_OR_SKIP(file, "ace12-2007-basic.accdb");
    ADODB::Connection cn;
    cn.Open(ace(file));
    ADODB::RecordSet rs;
    try {
        rs.Open("SELECT * FROM [Nope]", cn);
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::TableNotFound);
        EXPECT_NE(e.description().find("'Nope'"), std::string::npos);
    }
    try {
        rs.Open("SELECT [Z] FROM [Table1]", cn);
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.number(), db::ErrorNumber::NoValueGiven);
        EXPECT_NE(e.description().find("'Z'"), std::string::npos);
    }
    EXPECT_THROW(cn.Execute("UPDATE [Table1] SET A='x'"), db::Error); // read-only connection
}

TEST(AccessModule, BuildsTheConnectionStringFromTheWizardState) {
    std::string path, password;
    Access::SetConnectionInputs({[&] { return path; }, [&] { return password; }});
    path = "/d/x.ACCDB";
    EXPECT_EQ(Access::BuildConnectionString(),
              "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/d/x.ACCDB;JET OLEDB:Database Password=");
    path = "/d/x.accdb ";
    password = " p;w ";
    EXPECT_EQ(Access::BuildConnectionString(),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/d/x.accdb ;JET OLEDB:Database Password=\" p;w \"");
    path = "accdb";
    EXPECT_EQ(Access::BuildConnectionString().substr(0, 9), "Provider=");
    path = "/d/myaccdb";
    EXPECT_EQ(Access::BuildConnectionString().substr(0, 9), "Provider=");
    path = "";
    EXPECT_EQ(Access::BuildConnectionString(),
              "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=;JET OLEDB:Database Password=\" p;w \"");
    Access::SetConnectionInputs({});
}

namespace {
struct FakeList : Access::ListBox {
    std::vector<std::string> items{"stale"};
    int index = -1;
    void Clear() override {
        items.clear();
        index = -1;
    }
    void AddItem(const std::string& t) override { items.push_back(t); }
    int ListCount() const override { return static_cast<int>(items.size()); }
    void SetListIndex(int i) override { index = i; }
};
} // namespace

TEST(AccessModule, ListsAndFillsTables) {
    FIXTURE_OR_SKIP(file, "jet4-2003-index-pk.mdb");
    FIXTURE_OR_SKIP(empty, "ace16-2016-empty.accdb");
    FIXTURE_OR_SKIP(locked, "jet4-2003-password.mdb");
    std::string path, password;
    Access::SetConnectionInputs({[&] { return path; }, [&] { return password; }});

    path = "/no/such.mdb";
    EXPECT_FALSE(Access::ListTables(path));
    FakeList list;
    Access::FillTableList(list, path, password);
    EXPECT_EQ(list.items, std::vector<std::string>{"stale"});

    path = file;
    Access::FillTableList(list, path, password);
    EXPECT_EQ(list.items, (std::vector<std::string>{"Table1", "Table2", "Table3"}));
    EXPECT_EQ(list.index, 0);

    path = empty; // only system tables: an empty list, nothing selected
    ASSERT_TRUE(Access::ListTables(path));
    EXPECT_TRUE(Access::ListTables(path)->empty());
    Access::FillTableList(list, path, password);
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(list.index, -1);

    path = locked;
    EXPECT_THROW(Access::ListTables(path), db::Error);
    Access::SetConnectionInputs({});
}

TEST(AccessModule, ColumnExistsTurnsEveryFailureIntoFalse) {
    FIXTURE_OR_SKIP(original, "jet4-2003-password.mdb");
    testsupport::TempDir dir;
    const std::string file = writableCopy(original, dir.path);
    std::string path = file, password = "password";
    Access::SetConnectionInputs({[&] { return path; }, [&] { return password; }});
    const auto columns = [&] {
        ADODB::Connection cn;
        cn.Open(Access::BuildConnectionString());
        ADODB::RecordSet rs;
        rs.Open("SELECT * FROM [Table1]", cn);
        return rs.Fields()(0).Name();
    }();
    EXPECT_TRUE(Access::ColumnExists("Table1", columns));
    EXPECT_TRUE(Access::ColumnExists("TABLE1", columns));
    EXPECT_FALSE(Access::ColumnExists("Table1", "NoSuchColumn"));
    EXPECT_FALSE(Access::ColumnExists("NoSuchTable", columns));
    EXPECT_FALSE(Access::ColumnExists("Table1", "a]b"));
    password = "wrong";
    EXPECT_FALSE(Access::ColumnExists("Table1", columns));
    path = "/no/file.mdb";
    EXPECT_FALSE(Access::ColumnExists("Table1", columns));
    Access::SetConnectionInputs({});
}

TEST(CreateObject, TheDataAccessObjectsByTheirNames) {
    EXPECT_NE(db::CreateConnection(), nullptr);
    EXPECT_NE(db::CreateConnection("adodb.connection"), nullptr);
    EXPECT_NE(db::CreateRecordSet(), nullptr);
    try {
        db::CreateConnection("ADODB.Command");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_EQ(e.number(), db::CantCreateObject);
    }
}
