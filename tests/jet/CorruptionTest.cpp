// Damaged files: the bytes the reader trusts, broken in turn on every page a full read uses, must
// give an engine error or a clean read, never a crash, a hang or a runaway allocation (the sanitizers watch).
// Starts from the real fixtures when present; the fuzzer's findings are kept in fuzz_findings/ and replayed
// here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ReadAll.h"

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

void sweep(const char* name) {
    const fs::path path = fs::path(FENDREL_SHARED_DIR) / "fixtures/access" / name;
    if (!fs::exists(path)) GTEST_SKIP() << "fixture " << path << " is absent";
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

TEST(Corruption, Jet3EveryPageBroken) {
    sweep("jet3-97-basic.mdb");
}
TEST(Corruption, Jet4EveryPageBroken) {
    sweep("jet4-2003-nopassword.mdb");
}
TEST(Corruption, Jet4MemoEveryPageBroken) {
    sweep("jet4-2000-memo-ole.mdb");
}

TEST(Corruption, FuzzFindingsGiveCleanErrors) {
    const fs::path dir = fs::path(FENDREL_SOURCE_DIR) / "tests/jet/fuzz_findings";
    if (!fs::exists(dir)) GTEST_SKIP() << "no findings kept";
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        const Bytes b = slurp(entry.path());
        std::string e = fuzz::readAll(b.data(), b.size());
        EXPECT_EQ(e.rfind("input.mdb: ", 0), 0u) << entry.path() << ": " << e;
        ++n;
    }
    EXPECT_GT(n, 0u);
}

} // namespace
