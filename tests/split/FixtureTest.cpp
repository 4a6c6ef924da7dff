// The split on copies of real Access files: every field kind of a table written by Access, Unicode
// text, characters beyond the Basic Multilingual Plane, Extended Date/Time, a table with indexes and
// relationships. Each original value must stay as it was, and mdb-reader must read the result as
// this engine does. Skipped when the files are absent.

#include "SplitSupport.h"
#include "db/DbFixtures.h"

#include <gtest/gtest.h>

using namespace splittest;

namespace {

struct FixtureSplit {
    const char* file;
    const char* table;
    const char* field;
    split::Separator separator;
};

} // namespace

TEST(SplitFixtures, RealFilesKeepEveryOriginalValueAndReadBackInMdbReader) {
    const std::vector<FixtureSplit> splits = {
        {"ace14-2010-basic.accdb", "Table1", "A", split::Separator::other("c")},
        {"ace14-2010-basic.accdb", "Table1", "C", split::Separator::space()},
        {"ace14-2010-basic.accdb", "Table1", "D", split::Separator::other("2")},
        {"ace14-2010-basic.accdb", "Table1", "E", split::Separator::other("3")},
        {"ace14-2010-basic.accdb", "Table1", "F", split::Separator::other(".")},
        {"ace14-2010-basic.accdb", "Table1", "G", split::Separator::other("-")},
        {"ace14-2010-basic.accdb", "Table1", "H", split::Separator::other(".")},
        {"ace14-2010-basic.accdb", "Table1", "I", split::Separator::space()},
        {"jet4-2003-unicode.mdb", "Table", "Unicode", split::Separator::space()},
        {"ace14-2010-emoji.accdb", "data", "data", split::Separator::space()},
        {"ace17-2019-extdate.accdb", "Table1", "DateExt", split::Separator::other(":")},
        {"jet4-2003-index-pk.mdb", "Table1", "data", split::Separator::space()},
    };
    for (const auto& s : splits) {
        SCOPED_TRACE(std::string(s.file) + " " + s.table + "." + s.field);
        FIXTURE_OR_SKIP(source, s.file);
        TempDir dir;
        const std::string path = dir.file(s.file);
        std::filesystem::copy_file(source, path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        const auto before = readTable(path, s.table);
        // Where mdb-reader already reads the untouched file otherwise (calculated columns, dates
        // before 1899 in some files), the result cannot be compared with it.
        const auto untouched = oracleDifference(path, s.table);

        Recorder r;
        const split::Result result = runSplit(path, s.table, s.field, s.separator, r, "Part");
        EXPECT_EQ(result.outcome, split::Outcome::Completed);
        EXPECT_EQ(result.failures, 0) << r.failureTexts();

        const auto after = readTable(path, s.table);
        ASSERT_EQ(after.size(), before.size());
        EXPECT_GT(after[0].size(), before[0].size());
        for (std::size_t c = 0; c < before[0].size(); ++c)
            EXPECT_EQ(column(after, before[0][c]), column(before, before[0][c])) << before[0][c];
        // Every record with a value got its first piece.
        const auto values = column(after, s.field), first = column(after, "Part1");
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i] != "<null>" && !values[i].empty()) {
                EXPECT_NE(first[i], "<null>") << "record " << i + 1 << " (" << values[i] << ")";
            }
        if (untouched && untouched->empty()) {
            EXPECT_ORACLE_AGREES(path, s.table);
        } else if (untouched) {
            std::fprintf(stderr, "mdb-reader reads the original %s otherwise; the result was not compared\n",
                         s.file);
        }
    }
}
