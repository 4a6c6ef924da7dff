// What the engine opens: only regular files, refused at once otherwise (a FIFO must not make a
// reader wait for a writer that never comes), and a file that another program grows while it is
// read is read on, not reported as damaged.

#include "WriteSupport.h"

#include "jet/base/Error.h"
#include "jet/file/FileLock.h"
#include "jet/file/Pager.h"
#include "jet/read/Database.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using writetest::TempDir;

std::string openError(const std::string& path) {
    try {
        auto db = jet::Database::open(path);
        db->catalog();
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

std::string lockError(const std::string& path) {
    try {
        jet::FileLock lock(path);
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

// The tool's exit status and what it printed to either stream.
std::pair<int, std::string> tool(const std::string& args) {
    const std::string command = std::string("'") + FENDREL_DB_TOOL + "' " + args + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 4096> buf{};
    while (auto n = std::fread(buf.data(), 1, buf.size(), pipe.get()))
        out.append(buf.data(), n);
    const int status = ::pclose(pipe.release());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

} // namespace

TEST(FileKinds, EveryNonRegularFileIsRefusedAtOnce) {
    TempDir dir;
    const std::string fifo = dir.file("pipe.mdb");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string folder = dir.file("folder.mdb");
    std::filesystem::create_directory(folder);
    const std::string db = dir.file("real.mdb");
    writetest::makePeople(db, 3);

    EXPECT_NE(openError(fifo).find("is a FIFO, not a database file"), std::string::npos) << openError(fifo);
    EXPECT_NE(openError(folder).find("is a directory"), std::string::npos);
    EXPECT_NE(openError("/dev/zero").find("is a device"), std::string::npos);
    for (const std::string& path : {fifo, folder, std::string("/dev/zero")})
        EXPECT_NE(lockError(path), "") << path;
    EXPECT_EQ(openError(db), "");

    // The tool, on such files as a database and as a script of statements.
    for (const std::string& path : {fifo, folder}) {
        const auto [status, out] = tool("'" + path + "' tables");
        EXPECT_EQ(status, 1) << out;
    }
    for (const std::string& script : {folder, fifo, std::string("/dev/zero")}) {
        const auto [status, out] = tool("'" + db + "' exec-file '" + script + "'");
        EXPECT_EQ(status, 1) << script << ": " << out;
        EXPECT_NE(out.find("not a regular file"), std::string::npos) << out;
    }
}

TEST(FileKinds, PagesAnotherHandleAddsAreReadNotCalledDamage) {
    TempDir dir;
    // The pager alone: a page appended after the pager first counted the file's pages.
    const std::string raw = dir.file("raw.bin");
    const jet::Format& f = jet::formatFor(jet::Version::Jet4);
    {
        std::ofstream out(raw, std::ios::binary);
        out << std::string(2 * f.pageSize, '\0');
    }
    jet::Pager pager(std::make_unique<jet::PageFile>(raw), f, nullptr);
    EXPECT_EQ(pager.pageCount(), 2u);
    EXPECT_THROW(pager.page(2), jet::Corrupt);
    {
        std::ofstream out(raw, std::ios::binary | std::ios::app);
        out << std::string(f.pageSize, '\x01');
    }
    EXPECT_EQ(pager.page(2)->type(), 1);
    EXPECT_EQ(pager.pageCount(), 3u);

    // A reader holding a database open while a writer, through a handle of its own, moves rows to
    // new pages at the end of the file.
    const std::string db = dir.file("grow.mdb");
    writetest::makePeople(db, 300);
    auto reader = jet::Database::open(db);
    ASSERT_NE(reader->findTable("People"), nullptr);
    const std::uint32_t pagesBefore = reader->pager().pageCount();
    {
        jet::DatabaseWriter writer(db);
        const std::size_t city = 2;
        for (jet::RowKey k : [&] {
                 std::vector<jet::RowKey> keys;
                 writer.scan("People", 0, [&](jet::RowKey key, const jet::Value&) { keys.push_back(key); });
                 return keys;
             }())
            writer.update("People", k, {{city, writetest::text(std::string(100, 'c'))}});
    }
    ASSERT_GT(std::filesystem::file_size(db) / f.pageSize, pagesBefore);
    std::size_t rows = 0;
    std::vector<jet::Value> values;
    jet::RowReader rr = reader->rows("People");
    while (rr.next(values)) {
        ++rows;
        EXPECT_EQ(values[2].text, std::string(100, 'c'));
    }
    EXPECT_EQ(rows, 300u);
}

TEST(FileKinds, AReaderWhileAnotherProcessWritesNeverCallsTheFileDamaged) {
    TempDir dir;
    const std::string db = dir.file("busy.mdb");
    writetest::makePeople(db, 1500);
    // Statements that lengthen rows, so that they move to pages added at the end of the file.
    const std::string script = dir.file("grow.sql");
    {
        std::ofstream out(script);
        for (int round = 0; round < 3; ++round)
            for (int id = 0; id < 1500; id += 2)
                out << "UPDATE People SET City='" << std::string(20 + 30 * round + id % 13, 'a' + round)
                    << "' WHERE ID = " << id << "\n";
    }
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        std::freopen("/dev/null", "w", stdout);
        ::execl(FENDREL_DB_TOOL, FENDREL_DB_TOOL, db.c_str(), "exec-file", script.c_str(), nullptr);
        ::_exit(127);
    }
    int whole = 0, changing = 0, status = 0;
    std::vector<std::string> wrong;
    for (;;) {
        const bool done = ::waitpid(writer, &status, WNOHANG) == writer;
        try {
            auto reader = jet::Database::open(db);
            jet::RowReader rows = reader->rows("People");
            std::vector<jet::Value> values;
            while (rows.next(values)) {
            }
            ++whole;
        } catch (const jet::Changing& e) {
            ++changing;
            EXPECT_NE(std::string(e.what()).find("being changed by another program"), std::string::npos);
        } catch (const std::exception& e) {
            wrong.push_back(e.what());
        }
        if (done) break;
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer failed";
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " reads failed otherwise, the first: " << wrong.front();
    EXPECT_GE(whole, 1); // the last read, after the writer is done, reads the whole file
    std::cout << "reads: " << whole << " whole, " << changing << " found the file changing\n";
}
