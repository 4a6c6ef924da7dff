#pragma once
// Reading a table's rows in storage order: its data pages as the owned-pages map lists them, and on
// each page its rows in slot order. Deleted rows are skipped; a row that Access moved is read where
// its pointer leads. One page is held at a time, so a scan streams whatever the table's size.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet/read/RowLayout.h"
#include "jet/read/TableDef.h"
#include "jet/read/UsageMap.h"
#include "jet/read/Value.h"

namespace jet {

// Where a row lives: the page and slot of its header (the row id indexes refer to).
struct RowId {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
};

// A place in a scan to come back to: the next row is the first live one at or after `slot` on
// `page`, or on the pages after it. Page 0 (the header, in no table's map) means the start.
struct ScanMark {
    std::uint32_t page = 0;
    unsigned slot = 0;
};

class TableScan {
public:
    TableScan(Pager& pager, const TableDef& def, unsigned dbCodePage);

    // Splits the next row into `fields` (one per def.columns); false at the end.
    bool nextFields(std::vector<FieldBytes>& fields, RowId* id = nullptr);
    // Reads and decodes the next row; false at the end.
    bool next(std::vector<Value>& values);
    // The same for the columns at `columns` (positions in def.columns) only, their values in that
    // order: the other columns' values are not decoded (nor their long values read).
    bool next(std::vector<Value>& values, std::span<const std::size_t> columns);
    // The length in bytes of the row nextFields() or next() gave last (where a moved row lives).
    std::size_t rowSize() const { return rowSize_; }

    // Where the next row is looked for, and going back (or on) to such a place. A seek walks the
    // owned-pages map from its start but reads only the one data page it lands on.
    ScanMark mark() const;
    void seek(ScanMark mark);

    // Longest chain of moved-row pointers followed.
    static constexpr int MaxMoves = 8;

private:
    ByteView locate(std::uint32_t pageNo, unsigned slot);
    // Takes page n as the current page when it is one of this table's data pages.
    void enter(std::uint32_t n, unsigned slot);

    Pager& pager_;
    const TableDef& def_;
    unsigned codePage_;
    std::optional<UsageMapCursor> pages_;
    PageRef page_;   // current data page
    PageRef target_; // page a moved row lives on
    unsigned slot_ = 0, slots_ = 0;
    std::size_t rowSize_ = 0;
    std::uint32_t lastPage_ = 0; // the last page the map gave, 0 before the first
    std::vector<FieldBytes> fields_;
    std::vector<std::size_t> offsets_;
};

} // namespace jet
