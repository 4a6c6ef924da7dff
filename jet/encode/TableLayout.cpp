#include "jet/encode/TableLayout.h"

#include "jet/format/NameMatch.h"

#include "jet/base/Error.h"
#include "jet/encode/RowEncoder.h"
#include "jet/format/Names.h"
#include "jet/format/TextEncoder.h"

namespace jet {

bool isCreatableType(ColumnType t) {
    switch (t) {
    case ColumnType::Boolean:
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::Binary:
    case ColumnType::Text:
    case ColumnType::Ole:
    case ColumnType::Memo:
    case ColumnType::Guid:
    case ColumnType::Decimal:
        return true;
    default:
        return false;
    }
}

void checkName(const std::string& name, const char* what) {
    utf16FromUtf8(name); // refuses bytes that are not UTF-8
    if (auto why = invalidNameReason(name))
        throw Error(std::string(what) + " name \"" + name + "\": " + *why);
}

TableDef layoutTable(const Format& f, const std::string& name, const std::vector<ColumnSpec>& specs,
                     std::uint8_t tableType) {
    checkName(name, "table");
    if (specs.empty()) throw Error("table \"" + name + "\" needs at least one column");
    if (specs.size() > table_limits::MaxColumns)
        throw Error("table \"" + name + "\" has more than 255 columns");
    TableDef t;
    t.tableType = tableType;
    std::uint16_t varIndex = 0, fixedOffset = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const ColumnSpec& s = specs[i];
        auto fail = [&](const std::string& why) -> void { throw Error("column \"" + s.name + "\": " + why); };
        checkName(s.name, "column");
        for (std::size_t k = 0; k < i; ++k)
            if (sameNameIgnoringCase(specs[k].name, s.name)) fail("the name is used twice");
        if (!isCreatableType(s.type) || (f.jet3 && s.type == ColumnType::Decimal))
            fail("type " + columnTypeName(s.type) + " cannot be created" +
                 (f.jet3 ? std::string(" in an Access 97 database") : std::string()));
        Column c;
        c.name = s.name;
        c.type = s.type;
        c.number = static_cast<std::uint16_t>(i);
        c.blockIndex = i;
        c.sortOrder = GeneralSortOrder;
        c.flags = static_cast<std::uint8_t>(column_flag::Nullable | s.extraFlags);
        bool variable = s.type == ColumnType::Text || s.type == ColumnType::Memo ||
                        s.type == ColumnType::Ole || s.type == ColumnType::Binary;
        if (s.type == ColumnType::Text) {
            if (s.size < 1 || s.size > table_limits::MaxTextSize)
                fail("a Text column holds 1 to 255 characters");
            // Jet3 counts bytes of the code page, Jet4 bytes of UCS-2.
            c.length = static_cast<std::uint16_t>(f.jet3 ? s.size : 2 * s.size);
        } else if (s.type == ColumnType::Binary) {
            const unsigned most = f.jet3 ? 255 : 510;
            if (s.size < 1 || s.size > most) fail("a Binary column holds 1 to " + std::to_string(most) + " bytes");
            c.length = static_cast<std::uint16_t>(s.size);
        } else if (s.type == ColumnType::Decimal) {
            if (s.precision < 1 || s.precision > table_limits::MaxDecimalPrecision)
                fail("the precision of a Decimal is 1 to 28");
            if (s.scale > s.precision) fail("the scale of a Decimal cannot exceed its precision");
            c.precision = static_cast<std::uint8_t>(s.precision);
            c.scale = static_cast<std::uint8_t>(s.scale);
        }
        if ((s.type == ColumnType::Text || s.type == ColumnType::Memo) && s.compressed && !f.jet3)
            c.extFlags = 0x01;
        if (s.autoNumber) {
            if (s.type != ColumnType::Long) fail("only a Long column can be an AutoNumber");
            for (std::size_t k = 0; k < i; ++k)
                if (specs[k].autoNumber) fail("a table has at most one AutoNumber column");
            c.flags |= column_flag::AutoLong;
        }
        if (variable) {
            c.varIndex = varIndex++;
        } else {
            c.flags |= column_flag::Fixed;
            // For fixed columns the slot holds how many variable-length columns come before them.
            c.varIndex = varIndex;
            if (s.type == ColumnType::Boolean) {
                c.length = 1; // the value lives in the null mask
            } else {
                c.length = static_cast<std::uint16_t>(fixedSizeOf(s.type));
                c.fixedOffset = fixedOffset;
                fixedOffset = static_cast<std::uint16_t>(fixedOffset + c.length);
            }
        }
        t.columns.push_back(std::move(c));
    }
    t.maxColumns = static_cast<std::uint16_t>(specs.size());
    t.varColumns = varIndex;
    // Every row carries the full fixed area and the variable-column trailer; it must fit a page.
    std::size_t smallest =
        f.rowCountSize + fixedOffset + (varIndex ? f.rowCountSize * (varIndex + 2u) : 0) + (specs.size() + 7) / 8;
    if (smallest > maxRowSize(f))
        throw Error("table \"" + name +
                    "\": its fixed-size columns alone make rows longer than a page holds");
    return t;
}

} // namespace jet
