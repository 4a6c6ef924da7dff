#pragma once
// Writing table definitions: the inverse of readTableDef. The definition is built as one block
// (header, columns, names, the long-value usage-map list) and cut into pages: the first page takes
// the block's first page-size bytes, each continuation page an 8-byte header and the next piece.
// Index definitions are not written yet; a definition with indexes is refused.

#include <cstdint>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/format/Format.h"
#include "jet/read/TableDef.h"

namespace jet {

// The two usage maps of a memo or OLE column, listed at the end of the definition.
struct LongValueMaps {
    std::uint16_t columnNumber = 0;
    RowPointer owned;
    RowPointer free;
};

// The whole definition; its size is the definition's length field. `engineTable`: lay it out as the
// database engine lays out its own tables: column blocks and names sorted by name (ignoring case),
// and no second column number in the blocks.
Bytes encodeTableDef(const Format& f, const TableDef& def, const std::vector<LongValueMaps>& longValueMaps,
                     bool engineTable = false);

// Pages a definition block of this size takes.
std::size_t tableDefPageCount(const Format& f, std::size_t blockSize);

// The definition's pages, linked in the order of `pageNumbers` (tableDefPageCount of them).
std::vector<Bytes> tableDefPages(const Format& f, const Bytes& block,
                                 const std::vector<std::uint32_t>& pageNumbers);

} // namespace jet
