#pragma once
// Data pages: a header, a table of row offsets growing down from the header, and rows packed
// upward from the end of the page. Also the 4-byte row pointers ([row u8][page u24]) that usage
// maps, long values and moved rows use.

#include <cstdint>

#include "jet/base/Bytes.h"
#include "jet/format/Format.h"

namespace jet {

struct RowPointer {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
    static RowPointer fromU32(std::uint32_t v) { return {v >> 8, static_cast<std::uint8_t>(v & 0xFF)}; }
};

struct RowSlot {
    std::size_t start = 0;   // offset of the row within the page
    std::size_t end = 0;     // one past its last byte
    std::uint16_t flags = 0; // row_slot::Deleted / Overflow bits
    bool deleted() const { return flags & row_slot::Deleted; }
    bool moved() const { return (flags & row_slot::Overflow) && !deleted(); }
    bool fits = false; // bounds lie within the page, after the offset table
};

// Number of rows on a data page, checked against the room the offset table may take.
unsigned dataPageRowCount(const Format& f, ByteView page);

// Bounds and flags of row `index` (deleted rows' bounds are not trusted: see `fits`).
RowSlot dataPageRow(const Format& f, ByteView page, unsigned index);

// The bytes of row `index`, whatever its flags; throws Corrupt when its bounds do not fit the page.
ByteView dataPageRowBytes(const Format& f, ByteView page, unsigned index, const char* what = "row");

} // namespace jet
