#pragma once
// The layout of a row: column count, fixed area, variable data, the variable-offset table (with
// Jet3's jump table), and the null mask at the end. Splitting a row yields, for each column of the
// definition, whether it is null and which bytes hold its value; nothing is decoded here.

#include <cstdint>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/format/Format.h"
#include "jet/read/TableDef.h"

namespace jet {

struct FieldBytes {
    bool null = true;
    bool bit = false; // Yes/No: the value itself (null-mask bit)
    ByteView bytes;
};

// Splits `row` by the definition; fields[i] belongs to def.columns[i]. Reuses `fields` and
// `offsets` to avoid allocating per row. Throws Corrupt when the row's own tables do not fit it.
void splitRow(const Format& f, const TableDef& def, ByteView row, std::vector<FieldBytes>& fields,
              std::vector<std::size_t>& offsets);

} // namespace jet
