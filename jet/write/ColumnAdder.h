#pragma once
// Adding a text column at the end of a table, as Access adds one: a new column block and name in
// the definition, the column numbered after every column the table ever had (max_cols, which never
// goes down) and given the next slot of the variable-offset table, so that no row written before
// holds anything for it: existing rows are not touched and read the new column as Null.

#include <cstdint>
#include <string>

#include "jet/file/PageWriter.h"
#include "jet/read/TableDef.h"
#include "jet/read/TableScan.h"
#include <vector>

namespace jet {

inline constexpr unsigned DefaultTextColumnSize = 255;

// Checks the name and size against Access's rules and the table's columns; throws Error saying
// what is wrong.
void checkNewTextColumn(const TableDef& def, const std::string& name, unsigned size);

// Adds the column; in the file when it returns. `sortOrder` is the database's (0: Access's general).
// A table that had only fixed-size columns has rows without a variable-offset table, and every
// reader takes the definition's word for whether rows carry one: its rows (`rows`, every row's id)
// are first rewritten with one, which readers of the old definition pass over, and only then is
// the definition changed.
void addTextColumn(PageWriter& w, const TableDef& def, const std::string& name, unsigned size,
                   std::uint32_t sortOrder, const std::vector<RowId>& rows = {});

// The numbers a new column may still take: deleted columns keep theirs until the database is
// compacted, so every column added, also after a drop, spends one.
std::size_t columnNumbersLeft(const TableDef& def);

// Whether the table's rows carry a variable-offset table.
bool hasVariableColumns(const TableDef& def);

} // namespace jet
