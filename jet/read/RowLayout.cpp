#include "jet/read/RowLayout.h"

#include <string>

namespace jet {

namespace {

// Reads the variable-offset table into `offsets` (one per variable column plus the end of the
// data) and returns where the trailer (offset table and what follows) begins.
std::size_t readVarOffsets(const Format& f, ByteView row, std::size_t maskBytes,
                           std::vector<std::size_t>& offsets) {
    const std::size_t len = row.size();
    if (f.jet3) {
        if (len < 1 + maskBytes + 1) corrupt("row too short for its variable-column count");
        std::size_t count = row.u8(len - maskBytes - 1);
        std::size_t jumps = (len - 1) / 256;
        // Position of the first offset, counted from the row start; the offsets run backwards from it.
        if (len < maskBytes + jumps + 2 + count + 1) corrupt("row too short for its variable-offset table");
        std::size_t first = len - maskBytes - jumps - 2;
        // A jump entry of 0xFF pads the table when the row grew past a 256-byte boundary without
        // needing it; it is not a real jump.
        if ((first - count) / 256 < jumps) --jumps;
        offsets.resize(count + 1);
        std::size_t used = 0;
        for (std::size_t i = 0; i <= count; ++i) {
            while (used < jumps && i == row.u8(len - maskBytes - 2 - used))
                ++used;
            offsets[i] = row.u8(first - i) + 256 * used;
        }
        return first - count;
    }
    if (len < 2 + maskBytes + 2) corrupt("row too short for its variable-column count");
    std::size_t count = row.u16(len - maskBytes - 2);
    std::size_t tableBytes = 2 * (count + 1) + 2;
    if (len < 2 + maskBytes + tableBytes) corrupt("row too short for its variable-offset table");
    offsets.resize(count + 1);
    for (std::size_t i = 0; i <= count; ++i)
        offsets[i] = row.u16(len - maskBytes - 4 - 2 * i);
    return len - maskBytes - tableBytes;
}

} // namespace

void splitRow(const Format& f, const TableDef& def, ByteView row, std::vector<FieldBytes>& fields,
              std::vector<std::size_t>& offsets) {
    const std::size_t countSize = f.rowCountSize;
    if (row.size() < countSize + 1) corrupt("row of " + std::to_string(row.size()) + " bytes is too short");
    const std::size_t rowColumns = countSize == 1 ? row.u8(0) : row.u16(0);
    const std::size_t maskBytes = (rowColumns + 7) / 8;
    if (row.size() < countSize + maskBytes) corrupt("row too short for its null mask");
    ByteView mask = row.sub(row.size() - maskBytes, maskBytes);

    bool hasVar = def.varColumns > 0;
    for (const auto& c : def.columns)
        hasVar = hasVar || !c.fixed();
    std::size_t fixedEnd = row.size() - maskBytes;
    offsets.clear();
    if (hasVar) {
        std::size_t trailer = readVarOffsets(f, row, maskBytes, offsets);
        // Every offset lies between the column count and the trailer, in ascending order.
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            if (offsets[i] < countSize || offsets[i] > trailer || (i > 0 && offsets[i] < offsets[i - 1]))
                corrupt("row's variable-column offsets are out of order or outside the row");
        }
        fixedEnd = offsets.front();
    }
    const std::size_t rowVarCount = offsets.empty() ? 0 : offsets.size() - 1;

    fields.resize(def.columns.size());
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const Column& c = def.columns[i];
        FieldBytes& out = fields[i];
        out = FieldBytes{};
        // A column added after the row was written is not in it.
        if (c.number >= rowColumns) continue;
        bool set = mask.u8(c.number / 8) & (1u << (c.number % 8));
        if (c.type == ColumnType::Boolean && !c.calculated()) {
            out.null = false;
            out.bit = set;
            continue;
        }
        if (!set) continue;
        if (c.fixed()) {
            std::size_t start = countSize + c.fixedOffset, size = c.fixedSize();
            if (start + size > fixedEnd) corrupt("column " + c.name + " lies beyond the row's fixed data");
            out.bytes = row.sub(start, size);
        } else {
            if (c.varIndex >= rowVarCount) continue;
            std::size_t start = offsets[c.varIndex], end = offsets[c.varIndex + 1];
            out.bytes = row.sub(start, end - start);
        }
        out.null = false;
    }
}

} // namespace jet
