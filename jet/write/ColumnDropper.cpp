#include "jet/write/ColumnDropper.h"

#include "jet/base/Error.h"
#include "jet/format/NameMatch.h"
#include "jet/write/TableDefBytes.h"

namespace jet {

namespace {

// Each entry of the long-value map list: column number (2), owned map (4), free map (4).
constexpr std::size_t kLongValueEntry = 10;

} // namespace

const Column& findColumn(const TableDef& def, const std::string& name) {
    for (const Column& c : def.columns)
        if (c.name == name) return c;
    for (const Column& c : def.columns)
        if (sameNameIgnoringCase(c.name, name)) return c;
    throw Error("the table has no column named \"" + name + "\"");
}

void checkDropColumn(const TableDef& def, const Column& column) {
    for (std::size_t i = 0; i < def.indexes.size(); ++i) {
        const RealIndex& ri = def.realIndexes.at(static_cast<std::size_t>(def.indexes[i].realIndex));
        for (const IndexColumn& ic : ri.columns)
            if (ic.columnNumber == column.number)
                throw Error("column \"" + column.name + "\" is used by the index \"" + def.indexes[i].name +
                            "\"; delete the index first");
    }
    for (const RealIndex& ri : def.realIndexes)
        for (const IndexColumn& ic : ri.columns)
            if (ic.columnNumber == column.number)
                throw Error("column \"" + column.name + "\" is used by an index");
    if (def.columns.size() <= 1) throw Error("column \"" + column.name + "\" is the table's only column");
}

void dropColumn(PageWriter& w, const TableDef& def, const Column& column) {
    const Format& f = w.format();
    checkDropColumn(def, column);
    TableDefBytes t = readTableDefBytes(w, def.page);
    if (column.blockIndex >= t.columnCount)
        throw Error("internal error: the column's block is not in the definition");
    Bytes block = t.block;
    ByteView v(t.block.data(), t.block.size());

    // From the back, so that earlier offsets stay true: the long-value map entry, the name, the block.
    if (isLongValue(column.type)) {
        for (std::size_t at = t.indexNamesEnd; at + 2 <= block.size() && v.u16(at) != 0xFFFF;
             at += kLongValueEntry) {
            if (at + kLongValueEntry > block.size()) break;
            if (v.u16(at) == column.number) {
                block.erase(block.begin() + static_cast<std::ptrdiff_t>(at),
                            block.begin() + static_cast<std::ptrdiff_t>(at + kLongValueEntry));
                break;
            }
        }
    }
    const std::size_t nameAt = t.nameAt(column.blockIndex);
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(nameAt),
                block.begin() + static_cast<std::ptrdiff_t>(nameAt + t.nameSize(nameAt)));
    const std::size_t blockAt = t.columnsAt + column.blockIndex * f.columnEntry;
    block.erase(block.begin() + static_cast<std::ptrdiff_t>(blockAt),
                block.begin() + static_cast<std::ptrdiff_t>(blockAt + f.columnEntry));
    putU16(block, f.tdefColumnCount, static_cast<std::uint16_t>(t.columnCount - 1));
    putU32(block, 8, static_cast<std::uint32_t>(block.size()));
    storeTableDef(w, t, block);
}

} // namespace jet
