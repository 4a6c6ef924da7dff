#include "jet/file/FileLock.h"
#include "jet/base/Error.h"
#include "jet/format/Names.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TempFile {
    std::string path;
    explicit TempFile(const std::string& name) {
        path =
            (std::filesystem::temp_directory_path() / ("fendrel-lock-" + std::to_string(::getpid()) + name))
                .string();
        std::ofstream(path) << "data";
    }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

std::string lockError(const std::string& path) {
    try {
        jet::FileLock lock(path);
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(FileLock, OneWriterAtATime) {
    TempFile db(".mdb");
    {
        jet::FileLock first(db.path);
        EXPECT_NE(lockError(db.path).find("another program is changing"), std::string::npos);
    }
    EXPECT_EQ(lockError(db.path), ""); // released with its holder
}

TEST(FileLock, RefusesFilesAccessHasOpenAndReadOnlyFiles) {
    testsupport::TempDir dir;
    const std::string accdb = dir.file("People.accdb"), mdb = dir.file("OLD.MDB");
    std::ofstream(accdb) << "data";
    std::ofstream(mdb) << "data";
    // Access's lock file beside the database, its name in any case.
    for (const auto& [db, lockName] :
         std::vector<std::pair<std::string, std::string>>{{accdb, "People.laccdb"},
                                                          {accdb, "PEOPLE.LACCDB"},
                                                          {accdb, "people.Laccdb"},
                                                          {mdb, "old.ldb"},
                                                          {mdb, "OLD.LDB"}}) {
        const std::string lockFile = dir.file(lockName);
        std::ofstream(lockFile) << "";
        EXPECT_NE(lockError(db).find("open in Microsoft Access"), std::string::npos) << lockName;
        std::filesystem::remove(lockFile);
    }
    // The other kind's lock file, or one of another base name, is not this database's.
    for (const char* other : {"People.ldb", "Peoples.laccdb", "OLD.laccdb"}) {
        std::ofstream(dir.file(other)) << "";
        EXPECT_EQ(lockError(accdb), "") << other;
        EXPECT_EQ(lockError(mdb), "") << other;
    }
    EXPECT_NE(lockError("/no/such/dir/x.mdb").find("cannot open"), std::string::npos);
    // No write bit: read-only, also for root, who could write it anyway.
    for (mode_t mode : {0444, 0400, 0000, 0555}) {
        ::chmod(accdb.c_str(), mode);
        EXPECT_NE(lockError(accdb).find("read-only"), std::string::npos) << std::oct << mode;
    }
    ::chmod(accdb.c_str(), 0644);
    EXPECT_EQ(lockError(accdb), "");
}

TEST(Names, AccessRulesForNames) {
    EXPECT_FALSE(jet::invalidNameReason("SPLITCOLUMN1"));
    EXPECT_FALSE(jet::invalidNameReason("Post Code (old) #2"));
    EXPECT_FALSE(jet::invalidNameReason(std::string(64, 'x')));
    EXPECT_FALSE(jet::invalidNameReason("Größe"));
    EXPECT_TRUE(jet::invalidNameReason(std::string(65, 'x')));
    EXPECT_TRUE(jet::invalidNameReason(""));
    EXPECT_TRUE(jet::invalidNameReason(" lead"));
    for (const char* bad : {"a.b", "a!b", "a`b", "a[b", "a]b", "a\tb"})
        EXPECT_TRUE(jet::invalidNameReason(bad)) << bad;
    std::string emoji;
    for (int i = 0; i < 32; ++i)
        emoji += "\xF0\x9F\x98\x80"; // 32 surrogate pairs: 64 units
    EXPECT_FALSE(jet::invalidNameReason(emoji));
    EXPECT_TRUE(jet::invalidNameReason(emoji + "x"));
}
