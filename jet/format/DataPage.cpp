#include "jet/format/DataPage.h"

#include <string>

namespace jet {

unsigned dataPageRowCount(const Format& f, ByteView page) {
    unsigned n = page.u16(f.dataRowCount);
    if (dataPageSlot(f, n) > page.size())
        corrupt("data page claims " + std::to_string(n) + " rows, more than fit its offset table");
    return n;
}

RowSlot dataPageRow(const Format& f, ByteView page, unsigned index) {
    unsigned count = dataPageRowCount(f, page);
    if (index >= count)
        corrupt("row " + std::to_string(index) + " asked of a data page with " + std::to_string(count) +
                " rows");
    std::uint16_t raw = page.u16(dataPageSlot(f, index));
    RowSlot s;
    s.flags = raw & static_cast<std::uint16_t>(~row_slot::OffsetMask);
    s.start = raw & row_slot::OffsetMask;
    s.end = index == 0 ? page.size() : (page.u16(dataPageSlot(f, index - 1)) & row_slot::OffsetMask);
    s.fits = s.start >= dataPageSlot(f, count) && s.start <= s.end && s.end <= page.size();
    return s;
}

ByteView dataPageRowBytes(const Format& f, ByteView page, unsigned index, const char* what) {
    RowSlot s = dataPageRow(f, page, index);
    if (!s.fits)
        corrupt(std::string(what) + " " + std::to_string(index) + " has bounds " + std::to_string(s.start) +
                ".." + std::to_string(s.end) + " outside its data page");
    return page.sub(s.start, s.end - s.start);
}

} // namespace jet
