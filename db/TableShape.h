#pragma once
// What a change to a table has to fit in: its columns, the column numbers it has left, the longest
// row its format takes, and how far its file may still grow.

#include "db/TableStore.h"

#include <cstdint>
#include <vector>

namespace db {

struct TableShape {
    std::vector<StoreColumn> columns;
    // Numbers a new column may still take. A deleted column keeps its number until the database is
    // compacted, so dropping a column and adding another spends one.
    int columnNumbersLeft = 0;
    std::uint64_t fileBytes = 0;    // the file's size now
    std::uint64_t maxFileBytes = 0; // the most its format allows
    std::uint32_t pageBytes = 0;
    std::uint32_t maxRowBytes = 0;  // the longest row a data page takes
    bool codePageText = false;      // text kept in a code page, a byte a character (Access 97)
};

} // namespace db
