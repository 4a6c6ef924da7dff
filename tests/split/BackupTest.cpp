// Backups listed in the order they were made, which is the order undo takes them back in.

#include "split/Backup.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::TempDir;

// Backups made one after the other, most of them within one second (where their times are equal
// and their names differ by "-2", "-3", ... "-12"), are listed in the order they were made: the last
// made is the one undo puts back first.
TEST(Backups, AreListedInTheOrderTheyWereMadeWithinOneSecond) {
    TempDir dir;
    const std::string database = dir.file("people.mdb");
    std::ofstream(database) << std::string(8192, 'x');
    std::vector<std::string> made;
    for (int i = 0; i < 12; ++i)
        made.push_back(split::MakeBackup(database).path);
    std::vector<std::string> listed;
    for (const split::BackupInfo& b : split::ListBackups(database))
        listed.push_back(b.path);
    EXPECT_EQ(listed, made);
}

} // namespace
