#pragma once
// Writing long values (memo, OLE) of one column: short values go inline after the 12-byte field,
// longer ones into one row of a long-value page, and values longer than a row into a chain of
// rows, each starting with a pointer to the next. The column's pages are listed for its usage maps.

#include <cstdint>
#include <vector>

#include "jet/encode/DataPageWriter.h"
#include "jet/encode/PageAllocator.h"

namespace jet {

namespace long_value_limits {
// Access keeps values of up to this many bytes inline when the row has room.
inline constexpr std::size_t MaxInline = 64;
// The length field holds 30 bits.
inline constexpr std::size_t MaxLength = 0x3FFFFFFF;
} // namespace long_value_limits

class LongValueWriter {
public:
    LongValueWriter(const Format& f, PageAllocator& alloc, PageSink& sink);

    // The field to put in the row for `data`: 12 bytes, followed by the value itself when
    // `inlineAllowed` and it is short enough.
    Bytes store(const Bytes& data, bool inlineAllowed);

    // Writes the page being filled; call once no more values come.
    void flush();

    // The column's long-value pages, ascending; the last one may still have room.
    const std::vector<std::uint32_t>& pages() const { return pages_; }

private:
    // Adds one row to a long-value page (a new one when the current one is full) and returns
    // where it went, as a row pointer.
    std::uint32_t addRow(const Bytes& row);

    const Format& f_;
    PageAllocator& alloc_;
    PageSink& sink_;
    DataPageWriter page_;
    std::uint32_t pageNumber_ = 0;
    std::vector<std::uint32_t> pages_;
};

} // namespace jet
