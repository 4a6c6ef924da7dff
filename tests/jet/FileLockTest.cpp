#include "jet/file/FileLock.h"
#include "jet/base/Error.h"
#include "jet/format/Names.h"

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
    EXPECT_EQ(jet::FileLock::accessLockFileOf("/d/People.ACCDB"), "/d/People.laccdb");
    EXPECT_EQ(jet::FileLock::accessLockFileOf("/d/old.mdb"), "/d/old.ldb");

    TempFile db(".accdb");
    {
        TempFile lockFile(".laccdb");
        EXPECT_NE(lockError(db.path).find("open in Microsoft Access"), std::string::npos);
    }
    EXPECT_NE(lockError("/no/such/dir/x.mdb").find("cannot open"), std::string::npos);
    ::chmod(db.path.c_str(), 0444);
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which may write read-only files";
    EXPECT_NE(lockError(db.path).find("read-only"), std::string::npos);
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
