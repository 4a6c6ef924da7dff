#pragma once
// Data pages: a header, a table of row offsets growing down from the header, and rows packed
// upward from the end of the page. Also the 4-byte row pointers ([row u8][page u24]) that usage
// maps, long values and moved rows use.
//
//   0                  type 0x01, then 0x01
//   2                  u16 free space (data_page::FreeSpace)
//   f.dataTdefPage     u32 owner: the table definition page, "LVAL", or 0 for usage-map rows
//   f.dataRowCount     u16 row count, then the offset table: one u16 per row (row_slot bits)

#include <cstdint>

#include "jet/base/Bytes.h"
#include "jet/format/Format.h"

namespace jet {

namespace data_page {
// u16: the bytes free between the end of the offset table and the lowest row.
inline constexpr std::size_t FreeSpace = 2;
// Bytes of one offset-table entry: a row costs its own bytes and this.
inline constexpr std::size_t SlotSize = 2;
// A page holds at most this many rows: row numbers are one byte in every pointer.
inline constexpr unsigned MaxRows = 255;
// The owner field of long-value pages: the ASCII letters "LVAL".
inline constexpr std::uint32_t LongValueOwner = 0x4C41564C;
} // namespace data_page

// Where the offset table starts: right after the row count.
inline std::size_t dataPageOffsetTable(const Format& f) {
    return f.dataRowCount + 2;
}

// Where the offset-table entry of row `index` sits; for the row count, where the table ends.
inline std::size_t dataPageSlot(const Format& f, std::size_t index) {
    return dataPageOffsetTable(f) + data_page::SlotSize * index;
}

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
