#include "jet/write/DataPageCompactor.h"

#include <cstring>
#include <string>

#include "jet/base/Error.h"
#include "jet/format/DataPage.h"

namespace jet {

namespace {

// The bytes a row takes on the page: deleted rows whose bounds make no sense take none.
std::size_t rowLength(const RowSlot& s, unsigned index) {
    if (s.fits) return s.end - s.start;
    if (s.deleted()) return 0;
    corrupt("row " + std::to_string(index) + " has bounds outside its data page");
}

} // namespace

std::size_t dataPageFreeSpace(const Format& f, ByteView page) {
    const unsigned n = dataPageRowCount(f, page);
    std::size_t lowest = page.size();
    for (unsigned i = 0; i < n; ++i) {
        RowSlot s = dataPageRow(f, page, i);
        lowest -= rowLength(s, i);
    }
    const std::size_t table = dataPageSlot(f, n);
    return lowest > table ? lowest - table : 0;
}

bool dataPageTakes(const Format& f, ByteView page, std::size_t size) {
    return dataPageRowCount(f, page) < data_page::MaxRows &&
           dataPageFreeSpace(f, page) >= size + data_page::SlotSize;
}

bool rewriteDataPageRow(const Format& f, Bytes& page, unsigned slot, ByteView row, std::uint16_t flags) {
    ByteView old(page.data(), page.size());
    const unsigned n = dataPageRowCount(f, old);
    if (slot > n)
        throw Error("internal error: row " + std::to_string(slot) + " asked of a page of " +
                    std::to_string(n));
    const unsigned count = slot == n ? n + 1 : n;
    if (count > data_page::MaxRows) return false;
    std::size_t total = row.size();
    for (unsigned i = 0; i < n; ++i)
        if (i != slot) total += rowLength(dataPageRow(f, old, i), i);
    const std::size_t table = dataPageSlot(f, count);
    if (total + table > page.size()) return false;

    thread_local Bytes scratch;
    scratch.assign(page.begin(), page.end());
    ByteView from(scratch.data(), scratch.size());
    std::size_t at = page.size();
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t* src;
        std::size_t len;
        std::uint16_t rowFlags;
        if (i == slot) {
            src = row.data();
            len = row.size();
            rowFlags = flags;
        } else {
            RowSlot s = dataPageRow(f, from, i);
            len = rowLength(s, i);
            src = scratch.data() + (len ? s.start : 0);
            rowFlags = s.flags;
        }
        at -= len;
        if (len) std::memmove(page.data() + at, src, len);
        putU16(page, dataPageSlot(f, i), static_cast<std::uint16_t>(at | rowFlags));
    }
    std::memset(page.data() + table, 0, at - table);
    putU16(page, f.dataRowCount, static_cast<std::uint16_t>(count));
    putU16(page, data_page::FreeSpace, static_cast<std::uint16_t>(at - table));
    return true;
}

} // namespace jet
