#pragma once
// Building data pages: rows are packed downward from the end of the page while the row offset
// table grows upward after the header, and the free-space field says what is left between them.
// The same pages carry table rows, long-value rows (owner "LVAL") and usage-map rows (owner 0).

#include <cstdint>

#include "jet/base/ByteWriter.h"
#include "jet/format/DataPage.h"
#include "jet/format/Format.h"

namespace jet {

class DataPageWriter {
public:
    DataPageWriter(const Format& f, std::uint32_t owner);

    // Starts over with an empty page of the same owner.
    void clear();
    bool empty() const { return rows_ == 0; }
    unsigned rowCount() const { return rows_; }
    std::size_t freeSpace() const;
    // Whether a row of `size` bytes still fits (its bytes plus its offset-table entry).
    bool fits(std::size_t size) const;
    // The largest row an empty page takes.
    std::size_t largestRow() const;
    // Adds a row and returns its number on the page; `flags` are row_slot bits.
    unsigned add(const std::uint8_t* row, std::size_t size, std::uint16_t flags = 0);
    unsigned add(const Bytes& row, std::uint16_t flags = 0) { return add(row.data(), row.size(), flags); }

    const Bytes& bytes() const { return page_; }

private:
    const Format& f_;
    std::uint32_t owner_;
    Bytes page_;
    unsigned rows_ = 0;
    std::size_t top_; // start of the lowest row
};

} // namespace jet
