// A table with columns of types this engine does not know (as a later Access may make): it is read
// (those columns as their bytes), previewed, and split on another field, and every byte of the unknown
// columns, in the rows and in their column blocks, is what it was before.

#include "SplitSupport.h"
#include "db/Ado.h"
#include "jet/read/Database.h"

#include <gtest/gtest.h>
#include <map>

using namespace splittest;

namespace {

constexpr std::uint8_t VariableCode = 0x46; // the codes of Jackcess's test file of unsupported types
constexpr std::uint8_t FixedCode = 0x47;

// Where the block of column `name` lies in the file: the definition's first page holds it in these
// small tables.
std::size_t blockOffset(const std::string& path, const std::string& table, const std::string& name) {
    auto db = jet::Database::open(path);
    const jet::Format& f = db->format();
    auto def = db->table(table);
    const jet::Column* c = def->find(name);
    if (!c) throw std::runtime_error("no column " + name);
    jet::ByteView page = db->pager().page(def->page)->view();
    const std::size_t at =
        f.tdefBlocksStart + page.u32(f.tdefRealIndexCount) * f.realIndexEntry + c->blockIndex * f.columnEntry;
    if (at + f.columnEntry > f.pageSize) throw std::runtime_error("the block is not on the first page");
    return def->page * f.pageSize + at;
}

std::string columnBlock(const std::string& path, const std::string& table, const std::string& name) {
    auto db = jet::Database::open(path);
    const std::size_t entry = db->format().columnEntry;
    return fileBytes(path).substr(blockOffset(path, table, name), entry);
}

void setType(const std::string& path, const std::string& table, const std::string& name, std::uint8_t code) {
    std::size_t at = blockOffset(path, table, name);
    auto db = jet::Database::open(path);
    at += db->format().colType;
    db.reset();
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(at));
    file.put(static_cast<char>(code));
}

// ID -> the row's Var and Fix values as the data layer gives them (hex of the bytes).
std::map<std::string, std::pair<std::string, std::string>> unknownValues(const std::string& path) {
    const auto rows = readTable(path, "T");
    const auto ids = column(rows, "ID"), var = column(rows, "Var"), fix = column(rows, "Fix");
    std::map<std::string, std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i < ids.size(); ++i)
        out[ids[i]] = {var[i], fix[i]};
    return out;
}

class UnknownTypes : public ::testing::TestWithParam<jet::Version> {};

TEST_P(UnknownTypes, TableIsReadPreviewedAndSplitKeepingTheirBytesAndBlocks) {
    TempDir dir;
    const std::string path = dir.file(GetParam() == jet::Version::Jet4 ? "unknown.mdb" : "unknown.accdb");
    {
        jet::CreateOptions options;
        options.version = GetParam();
        jet::DatabaseCreator creator(path, options);
        // Var is made a Binary column and Fix a Replication ID (16 fixed bytes); their codes are then
        // changed to ones the engine does not know. Enough rows, and values long enough, that the
        // split's pieces move rows off full pages.
        auto& t = creator.addTable("T", {{"ID", jet::ColumnType::Long},
                                         {"Value", jet::ColumnType::Text, 255},
                                         {"Var", jet::ColumnType::Binary, 100},
                                         {"Fix", jet::ColumnType::Guid}});
        for (int i = 0; i < 400; ++i) {
            jet::Value var, fix;
            if (i % 7 != 3) {
                var.kind = jet::Value::Kind::Binary;
                for (int k = 0; k < i % 40; ++k)
                    var.bytes.push_back(static_cast<std::uint8_t>(i * 31 + k));
            }
            if (i % 5 != 2) {
                char guid[40];
                std::snprintf(guid, sizeof guid, "{%08X-0000-4000-8000-%012X}", i * 2654435761u, i);
                fix = jet::Value::ofText(guid, jet::Value::Kind::Guid);
            }
            const std::string value = i % 11 == 0 ? "" : "alpha beta " + std::to_string(i) + " gamma delta epsilon";
            t.append({jet::Value::ofInteger(i), i % 13 == 0 ? null() : text(value), var, fix});
        }
        auto& other = creator.addTable("Other", {{"Name", jet::ColumnType::Text, 50}});
        other.append({text("still read")});
        creator.finish();
    }
    setType(path, "T", "Var", VariableCode);
    setType(path, "T", "Fix", FixedCode);
    const std::string varBlock = columnBlock(path, "T", "Var"), fixBlock = columnBlock(path, "T", "Fix");

    // The engine and the data layer read the unknown columns as bytes; the preview shows them.
    {
        auto db = jet::Database::open(path);
        auto def = db->table("T");
        EXPECT_EQ(jet::columnTypeName(def->find("Var")->type), "Unknown type 70");
        jet::RowReader rows = db->rows("T");
        std::vector<jet::Value> values;
        ASSERT_TRUE(rows.next(values));
        EXPECT_EQ(values[2].kind, jet::Value::Kind::Binary);
        EXPECT_EQ(values[3].kind, jet::Value::Kind::Binary);
        EXPECT_EQ(values[3].bytes.size(), 16u);
    }
    {
        ADODB::Connection cn;
        cn.Open(connectionString(path));
        ADODB::RecordSet rs;
        rs.Open("SELECT * FROM `T`;", cn, ADODB::adOpenKeyset, ADODB::adLockReadOnly);
        EXPECT_EQ(rs.Fields()("Var").Type(), ADODB::adLongVarBinary);
        EXPECT_EQ(rs.Fields()("Fix").Type(), ADODB::adBinary);
    }
    const auto before = unknownValues(path);
    ASSERT_EQ(before.size(), 400u);
    EXPECT_EQ(before.at("1").first, "1F") << "row 1's one byte: 1 * 31 + 0";
    EXPECT_EQ(before.at("3").first, "<null>");
    int status = 0;
    const std::string dumped = runCommand(std::string("'") + FENDREL_DB_TOOL + "' '" + path + "' rows T", status);
    EXPECT_EQ(status, 0) << dumped.substr(0, 300);

    // Split twice (the second run empties and refills the first run's columns), then drop a column, so
    // both kinds of definition change and the row rewrites of both runs pass over the unknown columns.
    for (int run = 0; run < 2; ++run) {
        Recorder r;
        const split::Result result = runSplit(path, "T", "Value", split::Separator::space(), r);
        ASSERT_EQ(result.outcome, split::Outcome::Completed) << r.failureTexts();
        EXPECT_EQ(result.failures, 0) << r.failureTexts();
    }
    {
        ADODB::Connection cn;
        cn.Mode = ADODB::adModeReadWrite;
        cn.Open(connectionString(path));
        cn.Execute("ALTER TABLE [T] ADD COLUMN [Extra] VARCHAR");
        cn.Execute("ALTER TABLE [T] DROP [Extra]");
    }
    const auto after = readTable(path, "T");
    EXPECT_EQ(column(after, "SPLITCOLUMN3")[5], "5");
    EXPECT_EQ(column(after, "SPLITCOLUMN6")[5], "epsilon");
    EXPECT_TRUE(unknownValues(path) == before) << "an unknown column's bytes changed";
    EXPECT_TRUE(columnBlock(path, "T", "Var") == varBlock) << "the block of Var changed";
    EXPECT_TRUE(columnBlock(path, "T", "Fix") == fixBlock) << "the block of Fix changed";

    // mdb-reader refuses a table with a type it does not know, but reads the rest of the file;
    // mdbtools reads the table, the new columns included.
    EXPECT_ORACLE_AGREES(path, "Other");
    if (std::system("command -v mdb-export >/dev/null 2>&1") == 0) {
        const std::string csv = runCommand("mdb-export -H '" + path + "' T 2>/dev/null", status);
        EXPECT_EQ(status, 0);
        EXPECT_NE(csv.find("\n5,\"alpha beta 5 gamma delta epsilon\",,,\"alpha\",\"beta\",\"5\",\"gamma\""
                           ",\"delta\",\"epsilon\"\n"),
                  std::string::npos)
            << csv.substr(0, 400);
    } else {
        std::fprintf(stderr, "mdbtools is not installed: the split file was not read back by it\n");
    }
}

TEST_P(UnknownTypes, ValuesOfAnUnknownColumnCannotBeSet) {
    TempDir dir;
    const std::string path =
        makeTable(dir, "T", {{"ID", jet::ColumnType::Long}, {"Var", jet::ColumnType::Binary, 100}},
                  {{jet::Value::ofInteger(1), null()}}, GetParam());
    setType(path, "T", "Var", VariableCode);
    const std::string before = fileBytes(path);
    ADODB::Connection cn;
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(path));
    std::string error;
    try {
        cn.Execute("UPDATE `T` SET `Var` = NULL WHERE `ID` = 1;");
    } catch (const std::exception& e) {
        error = e.what();
    }
    EXPECT_NE(error.find("of a type this engine does not know (70)"), std::string::npos) << error;
    cn.Close();
    EXPECT_TRUE(fileBytes(path) == before);
}

INSTANTIATE_TEST_SUITE_P(Formats, UnknownTypes, ::testing::Values(jet::Version::Jet4, jet::Version::Ace12),
                         [](const auto& p) { return p.param == jet::Version::Jet4 ? "Jet4" : "Ace12"; });

} // namespace
