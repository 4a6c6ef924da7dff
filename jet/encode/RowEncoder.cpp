#include "jet/encode/RowEncoder.h"

#include <algorithm>
#include <string>

#include "jet/base/Error.h"

namespace jet {

std::size_t fixedAreaSize(const TableDef& def) {
    std::size_t end = 0;
    for (const auto& c : def.columns)
        if (c.fixed() && c.type != ColumnType::Boolean)
            end = std::max(end, std::size_t{c.fixedOffset} + c.fixedSize());
    return end;
}

std::size_t varSlotCount(const TableDef& def) {
    std::size_t n = def.varColumns;
    for (const auto& c : def.columns)
        if (!c.fixed()) n = std::max<std::size_t>(n, c.varIndex + 1u);
    return n;
}

Bytes encodeRow(const Format& f, const TableDef& def, const std::vector<FieldValue>& fields,
                std::size_t minSize) {
    if (f.jet3) throw Unsupported("writing Access 97 (Jet 3) rows is not supported");
    if (fields.size() != def.columns.size()) throw Error("internal error: a row needs one value per column");
    const std::size_t columnCount = std::max<std::size_t>(def.maxColumns, def.columns.size());
    for (const auto& c : def.columns) {
        if (c.number >= columnCount)
            throw Error("internal error: column " + c.name + " is numbered beyond the table");
    }
    const std::size_t maskBytes = (columnCount + 7) / 8;
    const std::size_t fixedEnd = 2 + fixedAreaSize(def);
    const std::size_t slots = varSlotCount(def);

    Bytes row(fixedEnd, 0);
    putU16(row, 0, static_cast<std::uint16_t>(columnCount));
    Bytes mask(maskBytes, 0);
    auto setBit = [&](std::uint16_t n) { mask[n / 8] |= static_cast<std::uint8_t>(1u << (n % 8)); };
    std::vector<std::size_t> starts(slots + 1, 0);
    std::vector<const FieldValue*> bySlot(slots, nullptr);

    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        const Column& c = def.columns[i];
        const FieldValue& v = fields[i];
        if (c.type == ColumnType::Boolean) {
            if (!v.null && v.bit) setBit(c.number);
            continue;
        }
        if (v.null) continue;
        setBit(c.number);
        if (c.fixed()) {
            if (v.bytes.size() != c.fixedSize())
                throw Error("column " + c.name + ": a value of " + std::to_string(v.bytes.size()) +
                            " bytes where " + std::to_string(c.fixedSize()) + " are stored");
            std::copy(v.bytes.begin(), v.bytes.end(),
                      row.begin() + static_cast<std::ptrdiff_t>(2 + c.fixedOffset));
        } else {
            bySlot[c.varIndex] = &v;
        }
    }
    if (slots > 0) {
        for (std::size_t k = 0; k < slots; ++k) {
            starts[k] = row.size();
            if (bySlot[k]) row.insert(row.end(), bySlot[k]->bytes.begin(), bySlot[k]->bytes.end());
        }
        starts[slots] = row.size();
    }
    const std::size_t trailer = (slots > 0 ? 2 * (slots + 2) : 0) + maskBytes;
    if (row.size() + trailer < minSize) row.resize(minSize - trailer, 0);
    if (slots > 0) {
        if (row.size() + trailer > 0xFFFF) throw Error("row is longer than a page holds");
        appendU16(row, static_cast<std::uint16_t>(starts[slots]));
        for (std::size_t k = slots; k-- > 0;)
            appendU16(row, static_cast<std::uint16_t>(starts[k]));
        appendU16(row, static_cast<std::uint16_t>(slots));
    }
    row.insert(row.end(), mask.begin(), mask.end());
    if (row.size() > MaxRowSize)
        throw Error("the row takes " + std::to_string(row.size()) + " bytes, more than the " +
                    std::to_string(MaxRowSize) + " a row may take");
    return row;
}

} // namespace jet
