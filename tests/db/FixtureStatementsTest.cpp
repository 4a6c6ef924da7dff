// The program's statements on copies of real Access files: a new column filled by UPDATEs that find
// their rows by a text field's value, then every original value checked unchanged, by this layer
// and, when installed, by mdb-reader.

#include "DbFixtures.h"

#include "db/Access.h"
#include "db/Connection.h"
#include "db/Error.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <unistd.h>

namespace {

struct Case {
    const char* file;
    const char* password;
};

std::string quoted(const std::string& s) {
    std::string out;
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out;
}

std::vector<std::vector<db::Variant>> readTable(const std::string& cs, const std::string& table,
                                                std::vector<std::string>* names = nullptr,
                                                std::vector<int>* types = nullptr) {
    ADODB::Connection cn;
    cn.Open(cs);
    ADODB::RecordSet rs;
    rs.Open("SELECT * FROM [" + table + "];", cn, ADODB::adOpenStatic, ADODB::adLockReadOnly);
    for (int i = 0; names && i < rs.Fields().count(); ++i) {
        names->push_back(rs.Fields()(i).Name());
        types->push_back(rs.Fields()(i).Type());
    }
    std::vector<std::vector<db::Variant>> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<db::Variant> row;
        for (int i = 0; i < rs.Fields().count(); ++i)
            row.push_back(rs.Fields()(i).Value());
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 4096> buf{};
    while (auto n = std::fread(buf.data(), 1, buf.size(), pipe.get()))
        out.append(buf.data(), n);
    return out;
}

class FixtureStatements : public ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(FixtureStatements, NewColumnFilledByValueAndOriginalsIntact) {
    FIXTURE_OR_SKIP(original, GetParam().file);
    const std::string dir = ::testing::TempDir() + "fendrel-fixture-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string path = writableCopy(original, dir);
    std::string dbPath = path, password = GetParam().password;
    Access::SetConnectionInputs({[&] { return dbPath; }, [&] { return password; }});
    const std::string cs = Access::BuildConnectionString();

    // The first user table with a Text field that has values.
    const auto tables = Access::ListTables(path);
    ASSERT_TRUE(tables && !tables->empty());
    std::string table, field;
    std::vector<std::vector<db::Variant>> before;
    std::size_t fieldIndex = 0;
    for (const auto& t : *tables) {
        std::vector<std::string> names;
        std::vector<int> types;
        auto rows = readTable(cs, t, &names, &types);
        for (std::size_t i = 0; i < names.size() && field.empty(); ++i)
            if ((types[i] == ADODB::adVarWChar || types[i] == ADODB::adLongVarWChar) && !rows.empty() &&
                rows[0][i].isText()) {
                table = t, field = names[i], fieldIndex = i, before = rows;
            }
        if (!field.empty()) break;
    }
    ASSERT_FALSE(field.empty()) << "no table with a filled Text field";

    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(cs);
    ASSERT_FALSE(Access::ColumnExists(table, "SPLITCOLUMN1"));
    cn.Execute("ALTER TABLE [" + table + "] ADD COLUMN [SPLITCOLUMN1] VARCHAR");
    ASSERT_TRUE(Access::ColumnExists(table, "SPLITCOLUMN1"));
    std::set<std::string> done; // one statement per value: the rows sharing it are all found by it
    for (const auto& row : before) {
        if (!row[fieldIndex].isText() || !done.insert(row[fieldIndex].get<std::string>()).second) continue;
        const std::string& value = row[fieldIndex].get<std::string>();
        const std::string piece = value.substr(0, value.find(' '));
        cn.Execute("UPDATE `" + table + "` SET SPLITCOLUMN1='" + quoted(piece) + "' WHERE `" + field +
                   "` = '" + quoted(value) + "'");
    }
    cn.Close();

    const auto after = readTable(cs, table);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t r = 0; r < before.size(); ++r) {
        ASSERT_EQ(after[r].size(), before[r].size() + 1);
        for (std::size_t c = 0; c < before[r].size(); ++c)
            EXPECT_EQ(after[r][c], before[r][c]) << "row " << r;
        if (before[r][fieldIndex].isText()) {
            const std::string& value = before[r][fieldIndex].get<std::string>();
            EXPECT_EQ(after[r].back(), db::Variant(value.substr(0, value.find(' ')))) << "row " << r;
        } else {
            EXPECT_TRUE(after[r].back().isNull());
        }
    }

    if (std::filesystem::exists(std::string(FENDREL_ORACLE_DIR) + "/node_modules/mdb-reader")) {
        const std::string pw = password.empty() ? "" : " --password '" + password + "'";
        const std::string ours = dir + "/ours.jsonl";
        run(std::string("'") + FENDREL_DB_TOOL + "'" + pw + " '" + path + "' rows '" + table + "' > '" +
            ours + "'");
        const std::string diff =
            run("node '" + std::string(FENDREL_ORACLE_DIR) + "/oracle.mjs' compare" + pw + " --any-order '" +
                path + "' '" + table + "' '" + ours + "' 2>&1; echo exit=$?");
        EXPECT_NE(diff.find("exit=0"), std::string::npos) << diff;
    }
    std::filesystem::remove_all(dir);
    Access::SetConnectionInputs({});
}

INSTANTIATE_TEST_SUITE_P(
    Real, FixtureStatements,
    ::testing::Values(Case{"jet4-2003-index-pk.mdb", ""}, Case{"jet4-2000-deleted-columns.mdb", ""},
                      Case{"jet4-2003-unicode.mdb", ""}, Case{"jet4-2003-password.mdb", "password"},
                      Case{"jet4-2000-rc4-encoded.mdb", ""}, Case{"ace12-2007-basic.accdb", ""},
                      Case{"ace14-2010-emoji.accdb", ""}, Case{"ace12-deleted-column.accdb", ""},
                      Case{"ace14-2010-512rows.accdb", ""}),
    [](const auto& p) {
        std::string n = p.param.file;
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });
