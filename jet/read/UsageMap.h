#pragma once
// Usage maps: which pages belong to something (a table's data pages, a long-value column's pages,
// the free pages of the file). A map is a row on a data page, either inline (a start page and a
// bitmap) or by reference (pointers to bitmap pages of type 0x05); the layout is in
// jet/format/UsageMapFormat.h. The cursor walks the pages in ascending order, reading one bitmap
// page at a time, so it works for files of any size.

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/file/Pager.h"
#include "jet/format/DataPage.h"
#include "jet/format/UsageMapFormat.h"

namespace jet {

class UsageMapCursor {
public:
    // Reads the map row that `where` points at.
    UsageMapCursor(Pager& pager, RowPointer where);

    // The next page number in the map, or nothing at the end.
    std::optional<std::uint32_t> next();

private:
    bool loadBitmap(); // loads the next reference bitmap page; false at the end

    Pager& pager_;
    std::uint8_t kind_ = 0;
    std::vector<std::uint8_t> row_; // the map row
    // The bitmap being walked: bytes and the page number of bit 0.
    std::vector<std::uint8_t> bitmap_;
    std::uint64_t base_ = 0;
    std::size_t bit_ = 0;
    std::size_t nextRef_ = 0; // next pointer of a reference map
};

} // namespace jet
