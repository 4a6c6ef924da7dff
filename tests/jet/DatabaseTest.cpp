// Opening databases: the format from page 0, the Jet4 password, a damaged encryption header, errors
// naming the file; and, on the real fixtures when present, how few pages a task reads.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "jet/crypt/Primitives.h"
#include "jet/read/Database.h"
#include "support/Fixtures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Page 0 of a Jet4 or ACE file (masked as on disk) followed by `extraPages` empty pages.
Bytes makeFile(std::uint8_t versionByte, const std::u16string& password, std::uint32_t key = 0,
               std::size_t extraPages = 1) {
    const bool ace = versionByte >= 2;
    Bytes page(4096, 0);
    page[1] = 0x01;
    std::memcpy(&page[4], ace ? "Standard ACE DB" : "Standard Jet DB", 15);
    page[0x14] = versionByte;
    const double created = 38143.55;
    std::memcpy(&page[0x72], &created, 8);
    page[0x3C] = 0xE4; // code page 1252
    page[0x3D] = 0x04;
    for (int i = 0; i < 4; ++i)
        page[0x3E + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(key >> (8 * i));
    Bytes mask = jet::passwordMaskForDate(created, 40);
    for (std::size_t i = 0; i < 40; ++i) {
        std::uint8_t b = 0;
        if (i / 2 < password.size()) b = static_cast<std::uint8_t>(password[i / 2] >> (8 * (i % 2)));
        page[0x42 + i] = b ^ mask[i];
    }
    jet::applyHeaderMask(page, jet::formatFor(jet::Version::Jet4));
    page.resize(4096 * (1 + extraPages), 0);
    return page;
}

std::unique_ptr<jet::Database> openBytes(Bytes b, const std::string& password = "") {
    jet::OpenOptions o;
    o.password = password;
    return jet::Database::open(std::make_unique<jet::PageFile>("mem.mdb", std::move(b)), o);
}

std::string errorOf(Bytes b, const std::string& password = "") {
    try {
        openBytes(std::move(b), password)->catalog();
    } catch (const jet::Error& e) {
        return e.what();
    }
    return "";
}

TEST(Open, HeaderMaskIsRc4OfTheFixedKey) {
    std::uint8_t stream[8] = {};
    jet::crypto::rc4(jet::header::MaskKey, 4, stream, sizeof stream);
    const std::uint8_t expected[8] = {0xb5, 0x6f, 0x03, 0x62, 0x61, 0x08, 0xc2, 0x55};
    EXPECT_EQ(0, std::memcmp(stream, expected, 8));
}

TEST(Open, Jet4PasswordIsCheckedAgainstTheMaskedHeader) {
    auto db = openBytes(makeFile(1, u"Geheim€"), "Geheim€");
    EXPECT_EQ(db->format().version, jet::Version::Jet4);
    EXPECT_EQ(db->header().password, "Geheim€");
    EXPECT_EQ(db->codePage(), 1252u);
    for (const char* wrong : {"", "geheim€", "Geheim", "Geheim€x"}) {
        try {
            openBytes(makeFile(1, u"Geheim€"), wrong);
            ADD_FAILURE() << "opened with " << wrong;
        } catch (const jet::BadPassword& e) {
            EXPECT_STREQ(e.what(), "mem.mdb: Not a valid password.");
        }
    }
    // No password: the empty one opens it, and so does any other, as with Access's engine.
    EXPECT_NO_THROW(openBytes(makeFile(1, u"")));
    EXPECT_NO_THROW(openBytes(makeFile(1, u""), "x"));
}

TEST(Open, FormatComesFromTheVersionByte) {
    EXPECT_EQ(openBytes(makeFile(2, u""))->format().version, jet::Version::Ace12);
    EXPECT_EQ(openBytes(makeFile(3, u""))->format().version, jet::Version::Ace14);
    EXPECT_EQ(openBytes(makeFile(5, u""))->format().version, jet::Version::Ace16);
    EXPECT_EQ(openBytes(makeFile(6, u""))->format().version, jet::Version::Ace17);
    EXPECT_NE(errorOf(makeFile(9, u"")).find("unknown Access file version 9"), std::string::npos);
}

TEST(Open, ADamagedOfficeEncryptionHeaderIsRefusedAndJetEncodingIsNot) {
    Bytes ace = makeFile(3, u"", 0x12345678);
    ace[0x299] = 8; // EncryptionInfo length
    ace[0x29B] = 4; // version 4.4, but no descriptor
    ace[0x29D] = 4;
    try {
        openBytes(ace);
        ADD_FAILURE() << "opened a file with a damaged encryption header";
    } catch (const jet::Corrupt& e) {
        EXPECT_NE(std::string(e.what()).find("mem.mdb: damaged or not an Access database: the encryption header is damaged"),
                  std::string::npos)
            << e.what();
    }
    // A Jet4 file with a database key is RC4-encoded, which is read transparently.
    EXPECT_EQ(openBytes(makeFile(1, u"", 0x12345678))->header().databaseKey, 0x12345678u);
}

TEST(Open, DamagedAndForeignFilesGiveErrorsNamingTheFile) {
    EXPECT_EQ(errorOf({}), "mem.mdb: damaged or not an Access database: the file is empty");
    Bytes text(51, 'x');
    EXPECT_NE(errorOf(text).find("mem.mdb: damaged or not an Access database: not an Access database"),
              std::string::npos);
    Bytes cut = makeFile(1, u"");
    cut.resize(3000);
    EXPECT_NE(errorOf(cut).find("ends inside its header page"), std::string::npos);
    // Page 0 alone: the catalog's definition page does not exist.
    EXPECT_NE(errorOf(makeFile(1, u"", 0, 0)).find("page 2 lies beyond the end of the file"),
              std::string::npos);
    // A catalog page of the wrong type.
    EXPECT_NE(errorOf(makeFile(1, u"", 0, 2)).find("page 2 should be a table definition page"),
              std::string::npos);
    try {
        jet::Database::open("/nonexistent/x.mdb");
        ADD_FAILURE();
    } catch (const jet::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("/nonexistent/x.mdb: cannot open", 0), 0u) << e.what();
    }
}

std::string fixture(const char* name) {
    return testsupport::accessFixture(name);
}

#define NEED_FIXTURE(path)                                                                                   \
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "fixture " << path << " is absent"

TEST(OpenFixtures, ListingTablesReadsAHandfulOfPagesAndScansStream) {
    const std::string path = fixture("jet4-2000-basic.mdb"); // 3 MB, 743 pages
    NEED_FIXTURE(path);
    jet::OpenOptions o;
    o.cachePages = 4;
    auto db = jet::Database::open(path, o);
    EXPECT_GT(db->pager().pageCount(), 700u);
    db->catalog();
    EXPECT_LE(db->pager().pagesRead(), 8u);
    EXPECT_EQ(db->table("table1")->columns.size(), 9u); // names match ignoring case
    auto reader = db->rows("Table2");
    std::vector<jet::Value> values;
    while (reader.next(values)) {
    }
    EXPECT_LE(db->pager().pagesRead(), 24u);
    EXPECT_THROW(db->table("NoSuchTable"), jet::Error);
}

TEST(OpenFixtures, ColumnsKeepTheirNumbersAcrossDeletedAndInsertedColumns) {
    const std::string path = fixture("jet4-2000-deleted-columns.mdb");
    NEED_FIXTURE(path);
    auto def = jet::Database::open(path)->table("Table1");
    std::vector<int> numbers;
    for (const auto& c : def->columns)
        numbers.push_back(c.number);
    EXPECT_EQ(numbers, (std::vector<int>{0, 2, 3, 5}));
    EXPECT_EQ(def->maxColumns, 6);
}

TEST(OpenFixtures, IndexesNameTheirColumns) {
    const std::string path = fixture("jet4-2003-index-pk.mdb");
    NEED_FIXTURE(path);
    auto def = jet::Database::open(path)->table("Table1");
    ASSERT_FALSE(def->indexes.empty());
    bool primary = false;
    for (const auto& ix : def->indexes) {
        ASSERT_LT(static_cast<std::size_t>(ix.realIndex), def->realIndexes.size());
        const auto& cols = def->realIndexes[static_cast<std::size_t>(ix.realIndex)].columns;
        ASSERT_FALSE(cols.empty()) << ix.name;
        if (ix.kind == 0x01) {
            primary = true;
            ASSERT_EQ(cols.size(), 1u);
            EXPECT_EQ(cols[0].columnNumber, def->find("id")->number);
        }
    }
    EXPECT_TRUE(primary);
}

} // namespace
