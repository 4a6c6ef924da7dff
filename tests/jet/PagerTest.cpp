// The pager's cache: a page read once is served from memory while it is among the most recently
// used, the least recently used goes first, a page kept by a caller outlives its eviction, and a
// writer's commit or a new file replaces what the cache holds. The file's read-ahead serves each
// page as it is, and nothing of it outlives a commit.

#include <gtest/gtest.h>

#include "jet/base/Error.h"
#include "jet/file/Pager.h"
#include "support/TempDir.h"

#include <fstream>

namespace {

const jet::Format& format() {
    return jet::formatFor(jet::Version::Jet4);
}

// A file in memory of `pages` pages, each page's second byte its number.
std::unique_ptr<jet::PageFile> numberedFile(std::uint32_t pages, std::uint8_t offset = 0) {
    std::vector<std::uint8_t> bytes(std::size_t{pages} * format().pageSize, 0);
    for (std::uint32_t n = 0; n < pages; ++n)
        bytes[std::size_t{n} * format().pageSize + 1] = static_cast<std::uint8_t>(n + offset);
    return std::make_unique<jet::PageFile>("memory", std::move(bytes));
}

std::uint8_t mark(const jet::PageRef& p) {
    return p->view().u8(1);
}

TEST(PagerCache, RecentPagesAreServedFromMemoryAndTheLeastRecentGoesFirst) {
    jet::Pager pager(numberedFile(8), format(), nullptr, 3);
    const jet::PageRef first = pager.page(1);
    EXPECT_EQ(mark(first), 1);
    EXPECT_EQ(pager.page(1), first) << "a hit returns the cached page itself";
    EXPECT_EQ(pager.pagesRead(), 1u);

    pager.page(2);
    pager.page(3);
    pager.page(1); // page 1 is now the most recent; page 2 the least
    pager.page(4); // evicts page 2
    EXPECT_EQ(pager.pagesRead(), 4u);
    pager.page(1);
    pager.page(3);
    pager.page(4);
    EXPECT_EQ(pager.pagesRead(), 4u) << "pages 1, 3 and 4 are cached";
    EXPECT_EQ(mark(pager.page(2)), 2);
    EXPECT_EQ(pager.pagesRead(), 5u) << "page 2 was evicted and read again";

    // A page a caller keeps stays whole after the cache has let go of it.
    for (std::uint32_t n = 5; n < 8; ++n)
        pager.page(n);
    EXPECT_EQ(mark(first), 1);
    EXPECT_EQ(first->number(), 1u);
}

TEST(PagerCache, ACacheOfNoPagesStillHoldsOne) {
    jet::Pager pager(numberedFile(4), format(), nullptr, 0);
    pager.page(2);
    pager.page(2);
    EXPECT_EQ(pager.pagesRead(), 1u);
}

TEST(PagerCache, PagesOutsideTheFileAreRefusedAndNotCached) {
    jet::Pager pager(numberedFile(3), format(), nullptr, 4);
    EXPECT_THROW(pager.page(0), jet::Corrupt);
    EXPECT_THROW(pager.page(3), jet::Corrupt);
    EXPECT_EQ(pager.pagesRead(), 0u);
    EXPECT_THROW(pager.page(1, jet::page_type::TableDef, "table definition"), jet::Corrupt);
    EXPECT_EQ(pager.page(1)->number(), 1u) << "a page of the wrong type is still the page";
}

TEST(PagerCache, AWritersCommitReplacesTheCachedCopiesItWroteAndKeepsTheRest) {
    jet::Pager pager(numberedFile(4), format(), nullptr, 8);
    pager.page(1);
    pager.page(2);
    const std::uint64_t reads = pager.pagesRead();

    std::vector<std::uint8_t> changed(format().pageSize, 0);
    changed[1] = 99;
    pager.written({std::make_shared<const jet::Page>(2, changed)}, pager.pageCount());
    EXPECT_EQ(mark(pager.page(2)), 99) << "the written content, not the stale copy";
    EXPECT_EQ(mark(pager.page(1)), 1);
    EXPECT_EQ(pager.pagesRead(), reads) << "neither page was read again";
}

TEST(PagerCache, ANewFileEmptiesTheCache) {
    jet::Pager pager(numberedFile(4), format(), nullptr, 8);
    EXPECT_EQ(mark(pager.page(1)), 1);
    pager.replaceFile(numberedFile(6, 10));
    EXPECT_EQ(pager.pageCount(), 6u);
    EXPECT_EQ(mark(pager.page(1)), 11) << "read from the new file";
    EXPECT_EQ(pager.pagesRead(), 2u);
    EXPECT_EQ(mark(pager.page(5)), 15);
}

// A file on disk of `pages` pages numbered as numberedFile's.
std::string numberedFileOnDisk(const testsupport::TempDir& dir, std::uint32_t pages) {
    const std::string path = dir.file("numbered.mdb");
    std::ofstream out(path, std::ios::binary);
    for (std::uint32_t n = 0; n < pages; ++n) {
        std::vector<char> page(format().pageSize, 0);
        page[1] = static_cast<char>(n);
        out.write(page.data(), static_cast<std::streamsize>(page.size()));
    }
    return path;
}

TEST(PagerReadAhead, PagesReadInTurnAreEachTheirOwnAndACommitForgetsWhatWasReadAhead) {
    testsupport::TempDir dir;
    const std::uint32_t pages = 40; // past two windows, the last one short
    const std::string path = numberedFileOnDisk(dir, pages);
    jet::Pager pager(std::make_unique<jet::PageFile>(path), format(), nullptr, 1);
    for (std::uint32_t n = 1; n < pages; ++n)
        ASSERT_EQ(mark(pager.page(n)), n);
    EXPECT_LT(pager.file().bytesRead(), std::uint64_t{pages} * format().pageSize * 2);
    for (std::uint32_t n = pages - 1; n >= 1; --n)
        ASSERT_EQ(mark(pager.page(n)), n) << "backwards";

    // A scan reads page 2 and what follows ahead; a writer then changes page 3 in the file.
    pager.page(1);
    pager.page(2);
    {
        std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(std::streamoff{3} * format().pageSize + 1);
        f.put(static_cast<char>(99));
    }
    pager.written({}, pager.pageCount());
    EXPECT_EQ(mark(pager.page(3)), 99) << "the page as written, not as read ahead";
}

} // namespace
