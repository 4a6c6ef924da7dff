#include "jet/write/StrayCopies.h"

#include <algorithm>
#include <vector>

#include "jet/format/DataPage.h"
#include "jet/read/UsageMap.h"
#include "jet/write/DataPageCompactor.h"

namespace jet {

namespace {

std::uint32_t slotKey(std::uint32_t page, unsigned row) {
    return page << 8 | row;
}

} // namespace

std::size_t releaseStrayCopies(PageWriter& w, const TableDef& def) {
    const Format& f = w.format();
    std::vector<std::uint32_t> copies, reached, pages;
    UsageMapCursor owned(w.pager(), def.ownedPages);
    while (auto n = owned.next()) {
        PeekedPage p = w.peek(*n);
        ByteView v = p.view();
        if (v.u8(0) != page_type::Data || v.u32(f.dataTdefPage) != def.page) continue;
        const unsigned rows = dataPageRowCount(f, v);
        bool any = false;
        for (unsigned i = 0; i < rows; ++i) {
            const RowSlot s = dataPageRow(f, v, i);
            if (!s.fits || s.end == s.start) continue;
            if (s.flags & row_slot::Overflow) {
                // A pointer (a home slot, or a copy that moved on): [row u8][page u24].
                if (s.end - s.start >= 4) {
                    RowPointer to = RowPointer::fromU32(v.u32(s.start));
                    reached.push_back(slotKey(to.page, to.row));
                }
            } else if (s.flags & row_slot::Deleted) {
                copies.push_back(slotKey(*n, i));
                any = true;
            }
        }
        if (any) pages.push_back(*n);
    }
    if (copies.empty()) return 0;
    std::sort(reached.begin(), reached.end());
    std::size_t released = 0;
    for (std::uint32_t c : copies) {
        if (std::binary_search(reached.begin(), reached.end(), c)) continue;
        const std::uint32_t page = c >> 8;
        const unsigned row = c & 0xFF;
        rewriteDataPageRow(f, w.edit(page), row, ByteView(),
                           static_cast<std::uint16_t>(row_slot::Deleted | row_slot::Overflow));
        ++released;
    }
    return released;
}

} // namespace jet
