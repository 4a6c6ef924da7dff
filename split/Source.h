#pragma once
// What a split starts from, read once: every record's value of the field (as text, each distinct
// value kept once), the field's type, and the table's shape: its columns (with how many values the
// ones a label could name hold now) and the room it has left. Plans for any separator and label are
// made from it without reading the table again.

#include "db/Access.h"
#include "db/Connection.h"
#include "db/TableShape.h"
#include "db/TextTable.h"
#include "split/Inputs.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace split {

class Reporter;

// How the database is opened for the read.
enum class Opening {
    ForChanging,          // for writing; a failure ends the split
    ForChangingOrLooking, // for writing; when it cannot be, the failure is told and it is read only
    ForLooking,           // for reading only
};

struct TableColumn {
    db::StoreColumn column;
    // Values (not Null) the column holds now; counted for the columns whose name ends in a digit,
    // which a label could name, -1 for the others.
    std::int64_t values = -1;
};

struct Source {
    Inputs inputs;
    std::string field; // the field's name as the table spells it
    int fieldType = 0; // its ADO data type code
    // Why the file cannot be changed (the failure of opening it for writing); empty when it can.
    std::string notWritable;
    std::vector<TableColumn> columns;
    db::TableShape shape; // its columns are in `columns`
    // For an Access 97 file, why a text cannot be stored in its code page; empty for the others.
    Access::TextStorageTest storable;

    db::TextTable texts;                  // the distinct values, "" for Null
    std::vector<std::uint32_t> records;   // each record's value, in the order of the read
    std::vector<bool> first;              // by record: the first to hold its value
    std::vector<std::uint32_t> holders;   // how many records hold each value

    std::int64_t recordCount() const { return static_cast<std::int64_t>(records.size()); }
    std::string_view text(std::uint32_t value) const { return texts.text(value); }
    const TableColumn* findColumn(std::string_view name) const;
};

// Opens `connection` (a closed one) and reads the field and the table through it; failures are told
// through `reporter`. Throws Stop when the split cannot go on (Outcome::Stopped, or Outcome::Refused
// for a system table's field). The connection stays open: a split changes the file through it.
std::shared_ptr<Source> Read(const Inputs& inputs, Reporter& reporter, Opening opening,
                             ADODB::Connection& connection);

} // namespace split
