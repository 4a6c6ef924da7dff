#pragma once
// A table definition as one block of bytes, its pages joined, with where each of its parts begins:
// what a writer needs to change a definition and leave every byte it does not mean to change as
// Access wrote it. Storing a changed block keeps the first page (the table's id) and writes every
// continuation to new pages, so the switch from old to new is the one write of the first page.

#include <cstdint>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/file/PageWriter.h"

namespace jet {

struct TableDefBytes {
    Bytes block;                      // tdef_len bytes
    std::vector<std::uint32_t> pages; // the pages it was read from, in order
    std::size_t columnCount = 0;
    std::size_t columnsAt = 0;     // first column block
    std::size_t namesAt = 0;       // first column name
    std::size_t namesEnd = 0;      // after the last column name
    std::size_t indexNamesEnd = 0; // after the last index name: the long-value map list follows
    std::size_t nameLengthSize = 2; // bytes of a name's length: 1 in Jet3, 2 in Jet4

    // Offset of the name of the column whose block is the `index`th.
    std::size_t nameAt(std::size_t index) const;
    // Length field plus text of the name at `at`.
    std::size_t nameSize(std::size_t at) const;
};

TableDefBytes readTableDefBytes(PageWriter& w, std::uint32_t firstPage);

// Writes `block` as the definition whose pages `old` lists, then releases the old continuation
// pages; commits twice (the new definition, then the release).
void storeTableDef(PageWriter& w, const TableDefBytes& old, const Bytes& block);

} // namespace jet
