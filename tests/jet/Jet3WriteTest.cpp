// Writing Access 97 (Jet 3) files in place: rows grown, moved and shrunk on 2 KB pages, columns
// added and dropped, RC4-encoded pages, and text the file's code page cannot hold, which is refused
// with the file left as it was. Every change is read back by every reader there is.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

#include "WriteSupport.h"
#include "jet/base/Error.h"
#include "jet/file/Header.h"
#include "jet/file/PageCodec.h"
#include "jet/format/CodePage.h"

namespace {

using namespace writetest;
using jet::DatabaseWriter;

// Encodes every page but the header with Jet's RC4 page encoding under `key`, as Access does when
// a database is "encrypted".
void encodePages(const std::string& path, std::uint32_t key) {
    std::vector<char> bytes = bytesOf(path);
    const std::size_t page = jet::formatFor(jet::Version::Jet3).pageSize;
    std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(page));
    const jet::Format& f = jet::formatFor(jet::Version::Jet3);
    jet::applyHeaderMask(header, f); // unmask, set the key, mask again
    for (int i = 0; i < 4; ++i)
        header[jet::header::DatabaseKey + i] = static_cast<std::uint8_t>(key >> (8 * i));
    jet::applyHeaderMask(header, f);
    std::copy(header.begin(), header.end(), bytes.begin());
    auto codec = jet::makeJetRc4Codec(key);
    for (std::size_t n = 1; n * page < bytes.size(); ++n)
        codec->encode(static_cast<std::uint32_t>(n), reinterpret_cast<std::uint8_t*>(bytes.data() + n * page),
                      page);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Random updates that grow rows past their page's room (moving them behind a pointer), shrink
// them again and set nulls, on a 2 KB page file, checked against a model of the table.
void growAndShrink(const std::string& db, std::uint32_t seed) {
    auto model = readTable(db, "People");
    std::vector<jet::RowKey> keys;
    for (auto& [k, r] : model)
        keys.push_back(k);
    std::mt19937 rng(seed);
    std::uint64_t moves = 0;
    {
        DatabaseWriter w(db);
        w.addTextColumn("People", "Extra", 255);
        for (auto& [k, r] : model)
            r.push_back("null");
        for (int step = 0; step < 3000; ++step) {
            if (step % 400 == 0) w.beginBatch();
            if (step % 400 == 399) w.commit();
            jet::RowKey key = keys[rng() % keys.size()];
            std::size_t col = std::vector<std::size_t>{1, 2, 5}[rng() % 3];
            std::size_t len = rng() % 4 == 0 ? 0 : rng() % (col == 1 ? 50 : col == 2 ? 100 : 255);
            std::string s(len, static_cast<char>('a' + rng() % 26));
            if (rng() % 7 == 0) s = "Äöü € – " + s.substr(0, len / 2); // all in Windows-1252
            jet::Value v = len == 0 ? jet::Value{} : text(s);
            w.update("People", key, {{col, v}});
            model[key][col] = len == 0 ? "null" : "'" + s;
        }
        w.commit();
        moves = w.rowsMoved();
    }
    EXPECT_GT(moves, 0u) << "no row had to move: the test does not reach the pointers";
    EXPECT_EQ(readTable(db, "People"), model);
    EXPECT_EQ(dataPageProblems(db), "");
    if (haveCheckers()) {
        EXPECT_EQ(checkAgainst(db, "People", "-", {}, "agree"), "");
    }
}

TEST(Jet3Write, RowsGrowMoveAndShrinkAgainstAModel) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 800, jet::Version::Jet3);
    ASSERT_TRUE(jet::Database::open(db)->format().jet3);
    growAndShrink(db, 97);
}

TEST(Jet3Write, RC4EncodedPagesStayEncoded) {
    TempDir dir;
    const std::string db = dir.file("e.mdb");
    makePeople(db, 300, jet::Version::Jet3);
    encodePages(db, 0x1234ABCD);
    ASSERT_EQ(jet::Database::open(db)->header().databaseKey, 0x1234ABCDu);
    growAndShrink(db, 3);
    // No page is left readable without the key: page 2 (MSysObjects' definition) still starts
    // with something other than its plain page type.
    std::vector<char> bytes = bytesOf(db);
    EXPECT_NE(static_cast<std::uint8_t>(bytes[2 * 2048]), jet::page_type::TableDef);
}

TEST(Jet3Write, AddAndDropColumnsOfAFixtureKeepEveryValue) {
    const std::string src = fixture("jet3-97-basic.mdb");
    if (src.empty()) GTEST_SKIP() << "the fixtures are absent (" << testsupport::fixturesDir() << ")";
    TempDir dir;
    const std::string db = dir.file("copy.mdb");
    std::filesystem::copy_file(src, db);
    std::filesystem::permissions(db, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    auto before = readTable(db, "Table1");
    {
        DatabaseWriter w(db);
        w.addTextColumn("Table1", "Part 1", 30);
        w.addTextColumn("Table1", "Part 2", 255);
        const std::size_t first = w.table("Table1")->columns.size() - 2;
        w.beginBatch();
        w.scan("Table1", 0, [&](jet::RowKey k, const jet::Value&) {
            w.update("Table1", k, {{first, text("Zoë's part")}, {first + 1, text(std::string(255, 'y'))}});
        });
        w.commit();
    }
    auto after = readTable(db, "Table1");
    ASSERT_EQ(after.size(), before.size());
    for (auto& [k, row] : before) {
        row.push_back("'Zoë's part");
        row.push_back("'" + std::string(255, 'y'));
        EXPECT_EQ(after.at(k), row);
    }
    {
        DatabaseWriter w(db);
        w.dropColumn("Table1", "Part 1");
        w.dropColumn("Table1", "Part 2");
    }
    for (auto& [k, row] : before)
        row.resize(row.size() - 2);
    EXPECT_EQ(readTable(db, "Table1"), before);
    EXPECT_EQ(dataPageProblems(db), "");
}

TEST(Jet3Write, TextTheCodePageCannotHoldIsRefusedAndChangesNothing) {
    TempDir dir;
    const std::string db = dir.file("p.mdb");
    makePeople(db, 50, jet::Version::Jet3);
    {
        DatabaseWriter w(db);
        w.addTextColumn("People", "Part", 40);
    }
    const std::vector<char> original = bytesOf(db);
    {
        DatabaseWriter w(db);
        std::vector<jet::RowKey> keys;
        w.scan("People", 0, [&](jet::RowKey k, const jet::Value&) { keys.push_back(k); });
        const std::string why = errorOf([&] { w.update("People", keys.at(7), {{5, text("Жанна")}}); });
        EXPECT_NE(why.find("U+0416"), std::string::npos) << why;
        EXPECT_NE(why.find("1252"), std::string::npos) << why;
        EXPECT_NE(why.find("column Part"), std::string::npos) << why;
        EXPECT_NE(why.find("row " + std::to_string(jet::rowIdOf(keys.at(7)).row) + " on page"), std::string::npos) << why;
        // A column name is text in the code page too.
        EXPECT_NE(errorOf([&] { w.addTextColumn("People", "Часть", 40); }).find("U+0427"), std::string::npos);
        // The same statement on many rows fails on its first, before any is written.
        w.beginBatch();
        const std::string many = errorOf([&] {
            for (jet::RowKey k : keys)
                w.update("People", k, {{5, text("ok, then Ω")}});
        });
        EXPECT_NE(many.find("U+03A9"), std::string::npos) << many;
        w.commit();
    }
    EXPECT_EQ(bytesOf(db), original);
}

} // namespace
