#pragma once
// Dropping a column as Access drops one: its block and name leave the definition and the column
// count goes down, while every other number stays as it was (the other columns' numbers, offsets
// and variable-offset slots, max_cols and the width of the variable-offset table), since rows are
// not rewritten and still hold the dropped column's bytes. A column an index uses is refused.

#include <string>

#include "jet/file/PageWriter.h"
#include "jet/read/TableDef.h"

namespace jet {

// The column named `name` (without regard to case); throws Error when the table has none.
const Column& findColumn(const TableDef& def, const std::string& name);

// Throws Error when the column cannot be dropped: an index uses it, or it is the table's last.
void checkDropColumn(const TableDef& def, const Column& column);

// Drops the column; in the file when it returns.
void dropColumn(PageWriter& w, const TableDef& def, const Column& column);

} // namespace jet
