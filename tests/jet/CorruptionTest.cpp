// Damaged files: the bytes the reader trusts, broken in turn on every page a full read uses, must
// give an engine error or a clean read, never a crash, a hang or a runaway allocation (the sanitizers watch).
// Starts from the real fixtures when present. What the fuzzers (tests/fuzz) find becomes a case here once
// it is understood.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ReadAll.h"
#include "jet/base/Error.h"
#include "jet/create/DatabaseCreator.h"
#include "jet/format/DataPage.h"
#include "jet/read/Database.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Offsets worth breaking in a page: its header, the start of a table definition or row table,
// and the end where rows, names and null masks live.
std::vector<std::size_t> probeOffsets(std::size_t pageSize) {
    std::vector<std::size_t> out;
    for (std::size_t o = 0; o < 0x48; ++o)
        out.push_back(o);
    for (std::size_t o = 0x48; o < 0x180; o += 11)
        out.push_back(o);
    for (std::size_t o = pageSize - 40; o < pageSize; o += 3)
        out.push_back(o);
    return out;
}

void sweepFile(const fs::path& path) {
    const Bytes original = slurp(path);
    ASSERT_EQ(fuzz::readAll(original.data(), original.size()), "") << "the intact file must read";
    const std::size_t pageSize = original[0x14] == 0 ? 2048 : 4096;
    const std::size_t pages = original.size() / pageSize;
    std::size_t errors = 0, runs = 0;
    Bytes b = original;
    for (std::size_t p : fuzz::pagesInUse(path.string())) {
        for (std::size_t o : probeOffsets(pageSize)) {
            for (std::uint8_t v : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
                std::uint8_t& at = b[p * pageSize + o];
                if (at == v) continue;
                const std::uint8_t keep = at;
                at = v;
                std::string e = fuzz::readAll(b.data(), b.size());
                at = keep;
                ++runs;
                if (!e.empty()) {
                    ++errors;
                    EXPECT_EQ(e.rfind("input.mdb: ", 0), 0u) << e;
                }
            }
        }
    }
    // Cut the file short (trailing pages may be free, so a clean read is allowed).
    for (std::size_t p = 1; p < pages; p += 3) {
        std::string e = fuzz::readAll(original.data(), p * pageSize + (p % 2 ? 0 : 100));
        if (!e.empty()) {
            EXPECT_EQ(e.rfind("input.mdb: ", 0), 0u) << e;
        }
    }
    EXPECT_GT(errors, 0u) << runs << " damaged copies all read cleanly";
}

void sweep(const char* name) {
    const fs::path path = testsupport::accessFixture(name);
    if (!fs::exists(path)) GTEST_SKIP() << "fixture " << path << " is absent";
    sweepFile(path);
}

TEST(Corruption, Jet3EveryPageBroken) {
    sweep("jet3-97-basic.mdb");
}
TEST(Corruption, Jet4EveryPageBroken) {
    sweep("jet4-2003-nopassword.mdb");
}
TEST(Corruption, Jet4MemoEveryPageBroken) {
    sweep("jet4-2000-memo-ole.mdb");
}

// An encrypted page broken anywhere decrypts to 16 bytes of noise and one flipped byte after them.
TEST(Corruption, EncryptedAccdbEveryPageBroken) {
    testsupport::TempDir dir;
    const std::string path = dir.file("e.accdb");
    {
        jet::CreateOptions o;
        o.version = jet::Version::Ace12;
        o.password = fuzz::EncryptedPasswords[0];
        o.spinCount = 1;
        jet::DatabaseCreator c(path, o);
        auto& t = c.addTable("Notes", {{"ID", jet::ColumnType::Long},
                                       {"Name", jet::ColumnType::Text, 50},
                                       {"Body", jet::ColumnType::Memo}});
        for (int i = 0; i < 20; ++i)
            t.append({jet::Value::ofInteger(i), jet::Value::ofText("note " + std::to_string(i)),
                      jet::Value::ofText(std::string(i == 7 ? 9000 : 300, static_cast<char>('a' + i % 26)))});
        c.finish();
    }
    sweepFile(path);
}

TEST(Corruption, AMemoChainLeadingBackToItsFirstRowRunsInALoop) {
    testsupport::TempDir dir;
    const std::string path = dir.file("m.mdb");
    std::string memo;
    for (int i = 0; memo.size() < 12000; ++i)
        memo += "line " + std::to_string(i) + " of a long note; ";
    {
        jet::DatabaseCreator c(path, {});
        c.addTable("Notes", {{"ID", jet::ColumnType::Long}, {"Body", jet::ColumnType::Memo}})
            .append({jet::Value::ofInteger(1), jet::Value::ofText(memo)});
        c.finish();
    }
    // Walk the chain and point its second row back at the first, long before the value's length is
    // reached.
    std::uint64_t patchAt = 0;
    std::uint32_t first = 0;
    {
        auto db = jet::Database::open(path);
        const jet::Format& f = db->format();
        jet::RowReader rows = db->rows("Notes");
        std::vector<jet::FieldBytes> fields;
        ASSERT_TRUE(rows.nextFields(fields));
        jet::ByteView field = fields[1].bytes;
        ASSERT_EQ(field.u8(3) & 0xC0, jet::long_value::Chain);
        first = field.u32(4);
        int hops = 0;
        for (std::uint32_t at = first; at != 0; ++hops) {
            ASSERT_LT(hops, 20);
            jet::RowPointer where = jet::RowPointer::fromU32(at);
            jet::PageRef page = db->pager().page(where.page);
            jet::RowSlot slot = jet::dataPageRow(f, page->view(), where.row);
            if (hops == 1) patchAt = std::uint64_t{where.page} * f.pageSize + slot.start;
            at = page->view().u32(slot.start);
        }
        ASSERT_GE(hops, 3) << "the value should take a chain of several rows";
    }
    {
        std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(static_cast<std::streamoff>(patchAt));
        const char back[4] = {static_cast<char>(first), static_cast<char>(first >> 8),
                              static_cast<char>(first >> 16), static_cast<char>(first >> 24)};
        out.write(back, 4);
    }
    auto db = jet::Database::open(path);
    jet::RowReader rows = db->rows("Notes");
    std::vector<jet::Value> values;
    try {
        rows.next(values);
        FAIL() << "read " << values.at(1).text.size() << " characters from a chain that loops";
    } catch (const jet::Error& e) {
        EXPECT_NE(std::string(e.what()).find("runs in a loop"), std::string::npos) << e.what();
    }
}

} // namespace
