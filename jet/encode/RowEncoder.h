#pragma once
// Encoding a row: the inverse of splitRow. Column count, fixed area (every fixed column at its
// offset, full size even when null), variable data in offset-table order, optional padding, the
// end-of-data offset, the offsets in reverse, their count, and the null mask (a set bit means
// "not null"; a Yes/No column's bit is its value). A table without variable-length columns has no
// offsets, no count and no end-of-data field. Jet3 rows count columns and offsets in one byte each
// and carry a jump table for offsets past 255.

#include <cstdint>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/format/Format.h"
#include "jet/read/TableDef.h"

namespace jet {

// The longest row a page takes (Jet 4 and later; Jet3).
inline constexpr std::size_t MaxRowSize = 4060;
inline constexpr std::size_t MaxJet3RowSize = 2012;
std::size_t maxRowSize(const Format& f);

// One column's value as stored: its bytes (fixed: exactly the column's size; variable: any length),
// or null, or for Yes/No the bit.
struct FieldValue {
    bool null = true;
    bool bit = false;
    Bytes bytes;
};

// The bytes of a row of `def`; fields[i] belongs to def.columns[i]. With `minSize`, the row is
// padded with zeros to at least that length (to fill the slot of an older, longer row).
// Throws Error when a fixed value has the wrong size or the row is longer than MaxRowSize.
Bytes encodeRow(const Format& f, const TableDef& def, const std::vector<FieldValue>& fields,
                std::size_t minSize = 0);
// The same into `row`, whose buffer serves again.
void encodeRow(const Format& f, const TableDef& def, const std::vector<FieldValue>& fields, Bytes& row,
               std::size_t minSize = 0);

// The most bytes a row of `def` takes beside its variable-length values: column count, fixed area,
// null mask and the trailer of offsets (for Jet3 with a jump table as long as a row may need).
std::size_t rowFrameSize(const Format& f, const TableDef& def);
// The most bytes a row of `def` takes when every value is as long as its column allows; SIZE_MAX
// when a column has no such bound in the row (long values Access keeps in it, types of no known
// size).
std::size_t largestRowSize(const Format& f, const TableDef& def);

// Bytes of the fixed area of the table's rows.
std::size_t fixedAreaSize(const TableDef& def);
// Entries of the variable-offset table of new rows (num_var_cols, or more if a var index says so).
std::size_t varSlotCount(const TableDef& def);

} // namespace jet
