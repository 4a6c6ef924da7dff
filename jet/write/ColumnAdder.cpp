#include "jet/write/ColumnAdder.h"

#include <algorithm>

#include "jet/base/Error.h"
#include "jet/encode/TableDefWriter.h"
#include "jet/encode/TableLayout.h"
#include "jet/format/NameMatch.h"
#include "jet/write/RowUpdater.h"
#include "jet/write/TableDefBytes.h"

namespace jet {

void checkNewTextColumn(const TableDef& def, const std::string& name, unsigned size) {
    checkName(name, "column");
    if (size < 1 || size > table_limits::MaxTextSize)
        throw Error("column \"" + name + "\": a Text column holds 1 to 255 characters, not " +
                    std::to_string(size));
    for (const Column& c : def.columns)
        if (sameNameIgnoringCase(c.name, name))
            throw Error("the table already has a column named \"" + c.name + "\"");
    if (def.columns.size() >= table_limits::MaxColumns)
        throw Error("the table has 255 columns, the most a table may have");
    if (def.maxColumns >= table_limits::MaxColumns)
        throw Error(
            "the table has used up its 255 column numbers (deleted columns keep theirs until the database is "
            "compacted); compact it in Access, then try again");
}

namespace {

// The number after every column the table ever had.
std::uint16_t nextColumnNumber(const TableDef& def) {
    std::uint16_t number = def.maxColumns;
    for (const Column& c : def.columns)
        number = std::max<std::uint16_t>(number, static_cast<std::uint16_t>(c.number + 1));
    return number;
}

} // namespace

std::size_t columnNumbersLeft(const TableDef& def) {
    const std::size_t next = nextColumnNumber(def);
    return next >= table_limits::MaxColumns ? 0 : table_limits::MaxColumns - next;
}

bool hasVariableColumns(const TableDef& def) {
    bool variable = def.varColumns > 0;
    for (const Column& c : def.columns)
        variable = variable || !c.fixed();
    return variable;
}

void addTextColumn(PageWriter& w, const TableDef& def, const std::string& name, unsigned size,
                   std::uint32_t sortOrder, const std::vector<RowId>& rows) {
    const Format& f = w.format();
    checkNewTextColumn(def, name, size);

    // Never a number or offset slot that a deleted column had: rows may still hold its data.
    const std::uint16_t number = nextColumnNumber(def);
    std::uint16_t varIndex = def.varColumns;
    for (const Column& c : def.columns) {
        if (!c.fixed())
            varIndex = std::max<std::uint16_t>(varIndex, static_cast<std::uint16_t>(c.varIndex + 1));
    }
    if (number >= table_limits::MaxColumns)
        throw Error("the table has no column number left for a new column");

    // The block and name exactly as a new table's column would have them.
    TableDef one = layoutTable(f, "t", {ColumnSpec{name, ColumnType::Text, size}});
    Column& c = one.columns.front();
    c.number = number;
    c.varIndex = varIndex;
    for (const Column& other : def.columns)
        if (other.type == ColumnType::Text || other.type == ColumnType::Memo) {
            sortOrder = other.sortOrder;
            c.codePage = other.codePage;
            break;
        }
    if (sortOrder) c.sortOrder = sortOrder;
    // Jet3 names and text are in the database's code page: a name it cannot hold is refused here.
    one.codePage = def.codePage;
    Bytes encoded = encodeTableDef(f, one, {});
    const auto blockAt = encoded.begin() + static_cast<std::ptrdiff_t>(f.tdefBlocksStart);
    const auto nameAt = blockAt + static_cast<std::ptrdiff_t>(f.columnEntry);
    const ByteView ev(encoded.data(), encoded.size());
    const std::size_t lengthAt = f.tdefBlocksStart + f.columnEntry;
    const std::size_t nameBytes = f.nameLengthSize == 1 ? 1 + ev.u8(lengthAt) : 2 + ev.u16(lengthAt);

    if (!hasVariableColumns(def)) {
        TableDef wider = def;
        wider.columns.push_back(c);
        wider.maxColumns = static_cast<std::uint16_t>(number + 1);
        wider.varColumns = static_cast<std::uint16_t>(varIndex + 1);
        RowUpdater rewrite(w, def, &wider);
        for (RowId id : rows) {
            rewrite.update(id, {});
            if (w.pending() >= MaxPendingPages) w.commit();
        }
        w.commit();
    }

    TableDefBytes t = readTableDefBytes(w, def.page);
    Bytes block = t.block;
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(t.namesEnd), nameAt,
                 nameAt + static_cast<std::ptrdiff_t>(nameBytes));
    block.insert(block.begin() + static_cast<std::ptrdiff_t>(t.namesAt), blockAt, nameAt);
    putU16(block, f.tdefColumnCount, static_cast<std::uint16_t>(t.columnCount + 1));
    putU16(block, f.tdefMaxCols, static_cast<std::uint16_t>(number + 1));
    putU16(block, f.tdefVarCols, static_cast<std::uint16_t>(varIndex + 1));
    putU32(block, 8, static_cast<std::uint32_t>(block.size()));
    storeTableDef(w, t, block);
}

} // namespace jet
