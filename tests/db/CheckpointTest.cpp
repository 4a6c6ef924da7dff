// UPDATEs reach the file at checkpoints: what a connection reads, what another reader finds after
// Checkpoint and Close, a commit that cannot be written heard from Checkpoint, Close or, as a last
// resort, stderr, and a session stopped by a failed write or a file replaced under it.

#include "db/Connection.h"
#include "db/Error.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/read/Database.h"
#include "support/TempDir.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using testsupport::TempDir;

// T(ID, Name) with `rows` rows, Name "n<ID>".
std::string makeTable(const TempDir& dir, int rows) {
    const std::string path = (dir.path / "t.mdb").string();
    jet::CreateOptions options;
    options.version = jet::Version::Jet4;
    jet::DatabaseCreator creator(path, options);
    auto& t = creator.addTable("T", {{"ID", jet::ColumnType::Long}, {"Name", jet::ColumnType::Text, 100}});
    for (int i = 1; i <= rows; ++i)
        t.append({jet::Value::ofInteger(i), jet::Value::ofText("n" + std::to_string(i))});
    creator.finish();
    return path;
}

std::string connectionString(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path;
}

// Opened for changing, with the text column S added.
void openWithS(ADODB::Connection& cn, const std::string& path) {
    cn.Mode = ADODB::adModeReadWrite;
    cn.Open(connectionString(path));
    cn.Execute("ALTER TABLE [T] ADD COLUMN [S] VARCHAR");
}

// Column `column` of every row, read by a reader of its own (what another program finds).
std::vector<std::string> fileColumn(const std::string& path, std::size_t column) {
    auto db = jet::Database::open(path);
    auto reader = db->rows("T");
    std::vector<std::string> out;
    std::vector<jet::Value> row;
    while (reader.next(row))
        out.push_back(row[column].isNull() ? "<null>" : row[column].text);
    return out;
}

std::string wide(int i) {
    return std::string(200, static_cast<char>('a' + i % 26));
}

// Fills S for every row with a 200-character text, so that rows move to pages new at the end.
void fillWide(ADODB::Connection& cn, int rows) {
    for (int i = 1; i <= rows; ++i)
        cn.Execute("UPDATE `T` SET S='" + wide(i) + "' WHERE `Name` = 'n" + std::to_string(i) + "'");
}

// While alive, the file may not grow past its present size: writes beyond it fail (EFBIG).
class SizeLimit {
public:
    explicit SizeLimit(const std::string& path) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        old_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(path));
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~SizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_);
    }

private:
    rlimit saved_{};
    void (*old_)(int) = nullptr;
};

// Makes the file as large as its format allows (2 GB, the pages past its end zeros that belong
// to nothing), so that a row that must move finds no new page for it; the destructor gives the
// file back its own size, which holds every page written meanwhile, since none could be added.
class AtTheLargestSize {
public:
    explicit AtTheLargestSize(std::string path)
        : path_(std::move(path)), size_(std::filesystem::file_size(path_)) {
        std::filesystem::resize_file(path_, std::uintmax_t{1} << 31);
    }
    ~AtTheLargestSize() { std::filesystem::resize_file(path_, size_); }

private:
    std::string path_;
    std::uintmax_t size_;
};

} // namespace

TEST(Checkpoints, StatementsAreReadBackAndReachTheFileAtCheckpointAndClose) {
    TempDir dir;
    const std::string path = makeTable(dir, 300);
    {
        ADODB::Connection cn;
        openWithS(cn, path);
        fillWide(cn, 150);
        // The connection's own read sees every statement, also rows moved to pages not yet in the file.
        ADODB::RecordSet rs;
        rs.Open("SELECT * FROM `T`", cn, ADODB::adOpenStatic, ADODB::adLockReadOnly);
        int seen = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            const int id = static_cast<int>(rs.Fields()(0).Value().get<std::int64_t>());
            const db::Variant& s = rs.Fields()(2).Value();
            EXPECT_EQ(s.isNull() ? std::string("<null>") : s.get<std::string>(), id <= 150 ? wide(id) : "<null>");
            ++seen;
        }
        EXPECT_EQ(seen, 300);
        rs.Close();

        // After a checkpoint another reader finds them, and the session reads on from its cache.
        fillWide(cn, 200);
        cn.Checkpoint();
        auto column = fileColumn(path, 2);
        ASSERT_EQ(column.size(), 300u);
        for (int i = 1; i <= 300; ++i)
            EXPECT_EQ(column[i - 1], i <= 200 ? wide(i) : "<null>") << "row " << i;

        // What follows the last checkpoint goes to the file as the connection closes.
        cn.Execute("UPDATE `T` SET S='last' WHERE `Name` = 'n300'");
        cn.Close();
    }
    EXPECT_EQ(fileColumn(path, 2).back(), "last");
}

// A checkpoint whose writes fail (the file may not grow: EFBIG, as a full disk's ENOSPC) stops the
// session: the failure is told once as one that ends changes, the statements it held are dropped,
// every later change and checkpoint is refused, reads go on from the file, and the file, which
// holds every earlier checkpoint, takes the same statements once opened again.
TEST(Checkpoints, AFailedWriteStopsTheSessionAndTheFileOpenedAgainTakesTheSameStatements) {
    TempDir dir;
    const std::string path = makeTable(dir, 300);
    {
        ADODB::Connection cn;
        openWithS(cn, path);
        fillWide(cn, 100);
        cn.Checkpoint();
        {
            SizeLimit limit(path);
            fillWide(cn, 300);
            try {
                cn.Checkpoint();
                ADD_FAILURE() << "the checkpoint's failed write was not told";
            } catch (const db::Error& e) {
                EXPECT_EQ(e.number(), db::ErrorNumber::DiskFull);
                EXPECT_TRUE(e.endsChanges());
                EXPECT_NE(e.description().find("cannot write"), std::string::npos) << e.description();
            }
        }
        for (const std::string& statement :
             {std::string("UPDATE `T` SET S='late' WHERE `Name` = 'n1'"),
              std::string("ALTER TABLE [T] ADD COLUMN [U] VARCHAR"), std::string("ALTER TABLE [T] DROP COLUMN [S]")}) {
            try {
                cn.Execute(statement);
                ADD_FAILURE() << statement << " ran after the session stopped";
            } catch (const db::Error& e) {
                EXPECT_TRUE(e.endsChanges()) << statement;
                EXPECT_NE(e.description().find("open it again"), std::string::npos) << e.description();
            }
        }
        EXPECT_THROW(cn.Checkpoint(), db::Error);
        // The session reads what the file holds: the first checkpoint's values, no more.
        ADODB::RecordSet rs;
        rs.Open("SELECT * FROM `T`", cn, ADODB::adOpenStatic, ADODB::adLockReadOnly);
        int seen = 0;
        for (; !rs.Eof(); rs.MoveNext(), ++seen) {
            const int id = static_cast<int>(rs.Fields()(0).Value().get<std::int64_t>());
            const db::Variant& v = rs.Fields()(2).Value();
            EXPECT_EQ(v.isNull() ? std::string("<null>") : v.get<std::string>(), id <= 100 ? wide(id) : "<null>");
        }
        EXPECT_EQ(seen, 300);
        EXPECT_EQ(rs.Fields().count(), 3);
        rs.Close();
        EXPECT_THROW(cn.Close(), db::Error);
        EXPECT_FALSE(cn.isOpen());
    }
    std::vector<std::string> names = fileColumn(path, 1);
    for (int i = 1; i <= 300; ++i)
        EXPECT_EQ(names[static_cast<std::size_t>(i - 1)], "n" + std::to_string(i));
    ADODB::Connection again;
    again.Mode = ADODB::adModeReadWrite;
    again.Open(connectionString(path));
    fillWide(again, 300);
    again.Close();
    auto column = fileColumn(path, 2);
    ASSERT_EQ(column.size(), 300u);
    for (int i = 1; i <= 300; ++i)
        EXPECT_EQ(column[i - 1], wide(i)) << "row " << i;
}

// Another file moved over the path, or the path removed, while a session changes the file: the
// checkpoint finds the path no longer names the file written and says so, and the session stops.
TEST(Checkpoints, AFileReplacedOrRemovedUnderTheSessionIsFoundAtTheCheckpoint) {
    for (const bool removed : {false, true}) {
        SCOPED_TRACE(removed ? "removed" : "replaced");
        TempDir dir;
        const std::string path = makeTable(dir, 50);
        const std::string other = (dir.path / "other.mdb").string();
        std::filesystem::copy_file(path, other);
        ADODB::Connection cn;
        openWithS(cn, path);
        fillWide(cn, 50);
        if (removed)
            std::filesystem::remove(path);
        else
            std::filesystem::rename(other, path);
        try {
            cn.Checkpoint();
            ADD_FAILURE() << "the checkpoint did not find the file gone from its path";
        } catch (const db::Error& e) {
            EXPECT_EQ(e.number(), db::ErrorNumber::FileReplaced);
            EXPECT_TRUE(e.endsChanges());
            EXPECT_NE(e.description().find("no longer the one being changed"), std::string::npos)
                << e.description();
        }
        EXPECT_THROW(cn.Execute("UPDATE `T` SET S='late' WHERE `Name` = 'n1'"), db::Error);
        if (!removed) {
            EXPECT_EQ(jet::Database::open(path)->table("T")->columns.size(), 2u)
                << "the file moved in stays as it was, without S";
        }
        EXPECT_THROW(cn.Close(), db::Error);
    }
}

TEST(Checkpoints, AConnectionDroppedUnclosedSaysWhatWasNotWritten) {
    TempDir dir;
    const std::string path = makeTable(dir, 300);
    testing::internal::CaptureStderr();
    {
        std::optional<SizeLimit> limit; // outlives the connection
        ADODB::Connection cn;
        openWithS(cn, path);
        limit.emplace(path);
        fillWide(cn, 300);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("changes not written"), std::string::npos) << said;
    EXPECT_NE(said.find(path), std::string::npos) << said;
}

TEST(Checkpoints, AnUpdateFailingHalfwayLosesTheBatchAndTheNextCheckpointSaysSo) {
    TempDir dir;
    const std::string path = makeTable(dir, 40);
    {
        AtTheLargestSize largest(path);
        ADODB::Connection cn;
        openWithS(cn, path);
        // The rows share one page. Short texts fit where their rows are and wait in the batch; wide
        // ones fill the page until a row must move, and the page it would move to cannot be added:
        // that update fails with its row half moved.
        int done = 0;
        std::string failure;
        for (int i = 1; i <= 40 && failure.empty(); ++i) {
            try {
                cn.Execute("UPDATE `T` SET S='" + (i <= 3 ? std::string("x") : wide(i)) +
                           "' WHERE `Name` = 'n" + std::to_string(i) + "'");
                ++done;
            } catch (const db::Error& e) {
                failure = e.description();
            }
        }
        ASSERT_GE(done, 3);
        EXPECT_NE(failure.find("grow beyond"), std::string::npos) << failure;
        // The statements before it went with the batch, and the checkpoint says so, once.
        try {
            cn.Checkpoint();
            ADD_FAILURE() << "the checkpoint did not say that changes were lost";
        } catch (const db::Error& e) {
            EXPECT_NE(e.description().find("were not written"), std::string::npos) << e.description();
        }
        EXPECT_EQ(fileColumn(path, 2), std::vector<std::string>(40, "<null>"));
        std::vector<std::string> names = fileColumn(path, 1);
        for (int i = 1; i <= 40; ++i)
            EXPECT_EQ(names[static_cast<std::size_t>(i - 1)], "n" + std::to_string(i));
        // The session goes on: what follows is written at the next checkpoint.
        cn.Execute("UPDATE `T` SET S='after' WHERE `Name` = 'n1'");
        cn.Checkpoint();
        cn.Close();
    }
    std::vector<std::string> column = fileColumn(path, 2);
    ASSERT_EQ(column.size(), 40u);
    EXPECT_EQ(column[0], "after");
    EXPECT_EQ(std::count(column.begin(), column.end(), "<null>"), 39);
}
