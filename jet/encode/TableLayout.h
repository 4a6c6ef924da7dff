#pragma once
// Laying out a new table: from the columns asked for (name, type, size) to the definition Access
// would make: column numbers in order, variable-length columns numbered in the offset table, fixed
// columns packed one after another, flags and sort order set. Access's limits are checked here,
// each error naming the column at fault.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/Format.h"
#include "jet/read/TableDef.h"

namespace jet {

struct ColumnSpec {
    std::string name;
    ColumnType type = ColumnType::Text;
    unsigned size = 0;           // Text: characters (1..255); ignored otherwise
    unsigned precision = 18;     // Decimal
    unsigned scale = 0;          // Decimal
    bool compressed = true;      // Text, Memo: Unicode Compression (Access's default for new fields)
    bool autoNumber = false;     // Long: AutoNumber (a null value gets the next number)
    std::uint8_t extraFlags = 0; // column flag bits beyond fixed/nullable (system tables)
};

namespace table_limits {
inline constexpr std::size_t MaxColumns = 255;
inline constexpr unsigned MaxTextSize = 255;
inline constexpr unsigned MaxDecimalPrecision = 28;
} // namespace table_limits

// The types a new table may have.
bool isCreatableType(ColumnType t);

// Sort order of text in new databases: General, LCID 1033, the version Jet 4 and ACE 12 use.
inline constexpr std::uint32_t GeneralSortOrder = 0x00000409;

// Checks a table or column name against Access's rules; `what` is "table" or "column".
void checkName(const std::string& name, const char* what);

// The definition of a new, empty table. Throws Error naming the column at fault.
TableDef layoutTable(const Format& f, const std::string& name, const std::vector<ColumnSpec>& columns,
                     std::uint8_t tableType = tdef_type::User);

} // namespace jet
