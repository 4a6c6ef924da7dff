// The usage-map editor on its own: a table's inline map taking a page in its window, moving its
// window when every page then fits, and becoming a reference map when they do not; the global
// map's bits set and cleared, pages it does not cover counting as free, and its own promotion.
// Each change is committed and read back with the reader's map cursor.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

#include "WriteSupport.h"
#include "jet/read/UsageMap.h"
#include "jet/write/UsageMapEditor.h"

namespace {

std::vector<std::uint32_t> listed(const jet::UsageMapEditor::Listing& l) {
    return {l.begin(), l.end()};
}

using namespace writetest;

struct Window {
    std::uint8_t kind;
    std::uint32_t start;
    std::uint64_t bits;
};

struct Session {
    TempDir dir;
    std::string path = dir.file("m.mdb");
    std::unique_ptr<jet::Database> db;
    int fd = -1;
    std::unique_ptr<jet::PageWriter> w;
    jet::RowPointer owned;

    Session() {
        makePeople(path, 3);
        db = jet::Database::open(path);
        owned = db->table("People")->ownedPages;
        fd = ::open(path.c_str(), O_RDWR);
        w = std::make_unique<jet::PageWriter>(db->pager(), fd, nullptr, path);
    }
    ~Session() {
        w.reset();
        if (fd >= 0) ::close(fd);
    }

    // Zero pages appended until the file has `count` pages.
    void growTo(std::uint32_t count) {
        while (w->pageCount() < count)
            w->append();
    }
    // What the file's map at `where` lists, after committing the write set.
    std::set<std::uint32_t> listed(jet::RowPointer where) {
        w->commit();
        std::set<std::uint32_t> pages;
        jet::UsageMapCursor cursor(db->pager(), where);
        while (auto p = cursor.next())
            pages.insert(*p);
        return pages;
    }
    Window window(jet::RowPointer where) {
        jet::PeekedPage held = w->peek(where.page);
        const jet::ByteView page = held.view();
        const jet::RowSlot s = jet::dataPageRow(db->format(), page, where.row);
        return {page.u8(s.start), page.u32(s.start + 1), std::uint64_t{s.end - s.start - 5} * 8};
    }
    // Makes the inline map at `where` list exactly `pages` from `start`.
    void setInline(jet::RowPointer where, std::uint32_t start, const std::vector<std::uint32_t>& pages) {
        jet::Bytes& p = w->edit(where.page);
        const jet::RowSlot s = jet::dataPageRow(db->format(), jet::ByteView(p.data(), p.size()), where.row);
        std::fill(p.begin() + static_cast<std::ptrdiff_t>(s.start + 5),
                  p.begin() + static_cast<std::ptrdiff_t>(s.end), std::uint8_t{0});
        jet::putU32(p, s.start + 1, start);
        for (std::uint32_t n : pages)
            p[s.start + 5 + (n - start) / 8] |= static_cast<std::uint8_t>(1u << ((n - start) % 8));
    }
};

TEST(UsageMapEditor, ATablesMapTakesAPageInItsWindowMovesItsWindowThenGoesByReference) {
    Session s;
    jet::UsageMapEditor maps(*s.w);
    const Window w0 = s.window(s.owned);
    ASSERT_EQ(w0.kind, jet::usage_map::Inline);
    const std::set<std::uint32_t> before = s.listed(s.owned);
    ASSERT_FALSE(before.empty());

    // A page inside the window: one bit on the map's own page.
    s.growTo(s.w->pageCount() + 1);
    const std::uint32_t inside = s.w->pageCount() - 1;
    EXPECT_EQ(listed(maps.pagesListing(s.owned, inside)), std::vector<std::uint32_t>{s.owned.page});
    maps.addOwned(s.owned, inside);
    std::set<std::uint32_t> expected = before;
    expected.insert(inside);
    EXPECT_EQ(s.listed(s.owned), expected);

    // Pages all high in the window: a page past its end moves the window up to them.
    const auto bits = static_cast<std::uint32_t>(w0.bits);
    const std::uint32_t high = bits - bits / 4, past = bits + bits / 4;
    s.growTo(2 * bits + 8);
    s.setInline(s.owned, 0, {high});
    maps.addOwned(s.owned, past);
    EXPECT_EQ(s.listed(s.owned), (std::set<std::uint32_t>{high, past}));
    const Window moved = s.window(s.owned);
    EXPECT_EQ(moved.kind, jet::usage_map::Inline);
    EXPECT_EQ(moved.start, high / 8 * 8);

    // A page no window holds together with them: a reference map over a new bitmap page, which the
    // global map marks used and which reaches the file before the map row that points at it.
    const std::uint32_t far = 2 * bits + 4;
    const std::uint32_t pagesBefore = s.w->pageCount();
    maps.addOwned(s.owned, far);
    // The map's bitmap page comes first; marking it used grows the global map past its window too.
    ASSERT_GT(s.w->pageCount(), pagesBefore);
    const std::uint32_t bitmap = pagesBefore;
    EXPECT_FALSE(s.w->tryOrder({{bitmap, s.owned.page}})) << "the map row must follow its bitmap page";
    EXPECT_EQ(s.window(s.owned).kind, jet::usage_map::Reference);
    EXPECT_EQ(listed(maps.pagesListing(s.owned, far)), (std::vector<std::uint32_t>{s.owned.page, bitmap}));
    EXPECT_EQ(s.listed(s.owned), (std::set<std::uint32_t>{high, past, far}));
    EXPECT_EQ(s.listed(jet::UsageMapEditor::Global).count(bitmap), 0u) << "the bitmap page is in use";
}

TEST(UsageMapEditor, TheGlobalMapFreesAndUsesPagesAndGoesByReferenceForAPageBeyondIt) {
    Session s;
    jet::UsageMapEditor maps(*s.w);
    const jet::RowPointer global = jet::UsageMapEditor::Global;
    const Window w0 = s.window(global);
    ASSERT_EQ(w0.kind, jet::usage_map::Inline);
    const auto bits = static_cast<std::uint32_t>(w0.bits);
    s.growTo(bits + bits / 2);
    const std::uint32_t inside = w0.start + bits - 2, beyond = w0.start + bits + 10;

    maps.markFree(inside);
    maps.markFree(inside - 1);
    EXPECT_EQ(s.listed(global).count(inside), 1u);
    maps.markUsed(inside - 1);
    EXPECT_EQ(s.listed(global).count(inside - 1), 0u);

    // Beyond the window a page counts as free already: freeing it changes nothing.
    const std::set<std::uint32_t> freeBefore = s.listed(global);
    maps.markFree(beyond);
    EXPECT_EQ(s.listed(global), freeBefore);
    EXPECT_EQ(s.window(global).kind, jet::usage_map::Inline);

    // Using it needs bitmaps for the whole file: pages the window covered keep their bits, the
    // others in the file count as used, and so do the new bitmap pages.
    const std::uint32_t pagesBefore = s.w->pageCount();
    maps.markUsed(beyond);
    EXPECT_EQ(s.window(global).kind, jet::usage_map::Reference);
    ASSERT_GT(s.w->pageCount(), pagesBefore);
    const std::set<std::uint32_t> free = s.listed(global);
    EXPECT_EQ(free.count(inside), 1u);
    EXPECT_EQ(free.count(inside - 1), 0u);
    EXPECT_EQ(free.count(beyond), 0u);
    for (std::uint32_t n = pagesBefore; n < s.w->pageCount(); ++n)
        EXPECT_EQ(free.count(n), 0u) << "new bitmap page " << n;

    maps.markFree(beyond);
    EXPECT_EQ(s.listed(global).count(beyond), 1u) << "a reference map frees through its bitmap";
}

} // namespace
