#pragma once
// Editing usage maps in place: a page added to a table's map of owned pages, a page marked used
// or free in the global map. An inline map whose window cannot take a page has its start moved
// when all its pages then fit (a table's map), and becomes a reference map otherwise; a reference
// map gains bitmap pages as it needs them. New bitmap pages are appended to the file, marked used
// in the global map, and ordered before the map row that points at them.

#include <array>
#include <cstdint>
#include <vector>

#include "jet/file/PageWriter.h"
#include "jet/format/DataPage.h"

namespace jet {

class UsageMapEditor {
public:
    explicit UsageMapEditor(PageWriter& writer) : w_(writer) {}

    // Where the global map's row lives.
    static constexpr RowPointer Global{1, 0};

    // The existing page that changing `page`'s bit in the map at `where` writes: the map's row page
    // or one of its bitmap pages. The caller orders it between the page and what points at it.
    std::uint32_t pageChangedFor(RowPointer where, std::uint32_t page);
    // The pages through which the map at `where` lists `page` now: the map's row page, and the
    // bitmap page holding its bit when the map is a reference map.
    struct Listing {
        std::array<std::uint32_t, 2> pages{};
        std::size_t count = 0;
        const std::uint32_t* begin() const { return pages.data(); }
        const std::uint32_t* end() const { return pages.data() + count; }
    };
    Listing pagesListing(RowPointer where, std::uint32_t page);

    // A table's map: `page` is now one of its pages.
    void addOwned(RowPointer where, std::uint32_t page);
    // The global map: `page` is now in use, or free again.
    void markUsed(std::uint32_t page) { set(Global, page, false, true); }
    void markFree(std::uint32_t page) { set(Global, page, true, true); }

private:
    // Sets `page`'s bit to `bit`. In the global map a set bit means free, as do pages it does not
    // cover; in a table's map a set bit means owned.
    void set(RowPointer where, std::uint32_t page, bool bit, bool global);
    void promote(RowPointer where, bool global);
    std::uint32_t appendBitmapPage(bool global);

    PageWriter& w_;
};

} // namespace jet
