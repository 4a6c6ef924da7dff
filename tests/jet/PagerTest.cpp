// The pager's cache: a page read once is served from memory while it is among the most recently
// used, the least recently used goes first, a page kept by a caller outlives its eviction, and a
// writer's commit or a new file replaces what the cache holds.

#include <gtest/gtest.h>

#include "jet/base/Error.h"
#include "jet/file/Pager.h"

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

} // namespace
