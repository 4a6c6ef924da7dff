#pragma once
// Copies of moved rows that no pointer reaches. A row that moves is written to its new place first
// and its home slot is pointed there after; a process killed between the two leaves the new copy
// reached by nothing, and one killed before the earlier copy's release leaves that one. Access and
// this engine never read such a copy, but readers that list a table's rows where they lie
// (mdbtools, mdb-reader) list it as a second row. A writing session releases them before it first
// changes a table.

#include <cstdint>

#include "jet/file/PageWriter.h"
#include "jet/read/TableDef.h"

namespace jet {

// Marks every copy on the table's pages that no pointer of the table reaches as released (both
// flags, no bytes), in the write set; returns how many there were. Reads each page of the table
// once.
std::size_t releaseStrayCopies(PageWriter& w, const TableDef& def);

} // namespace jet
