#pragma once
// What a split is asked to do: which field of which table of which database, where to cut its
// values and what to call the new columns. Copied into every step that needs it.

#include "split/Separator.h"

#include <string>

namespace split {

struct Inputs {
    std::string connectionString; // as Access::BuildConnectionString makes it
    std::string table;            // the table's name as listed, without quotes
    std::string fieldReference;   // the field's name between back-quotes: `Address`
    Separator separator;
    std::string label = "SPLITCOLUMN"; // the new columns are label + 1, label + 2, ...

    // The field's name without its back-quotes.
    std::string fieldName() const;
};

} // namespace split
