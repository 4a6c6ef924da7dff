#pragma once
// Table definitions (TDEF): the counts, usage-map pointers, columns and indexes of a table. A
// definition may continue over several pages; they are joined before parsing, and every count and
// offset is checked against the joined bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/file/Pager.h"
#include "jet/format/ColumnType.h"
#include "jet/format/DataPage.h"

namespace jet {

// Table type byte of the definition.
namespace tdef_type {
inline constexpr std::uint8_t User = 0x4E;
inline constexpr std::uint8_t System = 0x53;
} // namespace tdef_type

struct Column {
    std::string name;
    ColumnType type = ColumnType::Text;
    std::uint16_t number = 0;      // col_num: the bit in the null mask; gaps where columns were deleted
    std::uint16_t varIndex = 0;    // slot in the row's variable-offset table
    std::uint16_t fixedOffset = 0; // offset in the row's fixed area
    std::uint16_t length = 0;      // bytes (text: 2 per character in Jet4)
    std::uint8_t flags = 0;
    std::uint8_t extFlags = 0;
    std::uint8_t precision = 0, scale = 0; // Decimal
    std::uint16_t codePage = 0;            // Jet3 text
    std::uint32_t sortOrder = 0;
    std::int32_t complexId = 0; // ACE complex columns
    std::size_t blockIndex = 0; // position of its block in the definition
    // A calculated column's stored result is of this type (its ResultType property), which may
    // differ from the declared one: a Double column holding a Currency result, a Text one a Memo.
    std::optional<ColumnType> resultType;

    bool fixed() const { return flags & column_flag::Fixed; }
    bool nullable() const { return flags & column_flag::Nullable; }
    bool autoNumber() const { return flags & (column_flag::AutoLong | column_flag::AutoGuid); }
    bool compressedUnicode() const { return extFlags & 0x01; }
    bool calculated() const { return extFlags & 0xC0; }
    // The type its values are read as: the result type of a calculated column, else its own.
    ColumnType valueType() const { return calculated() && resultType ? *resultType : type; }
    // Bytes a fixed column takes in the row.
    std::size_t fixedSize() const;
};

struct IndexColumn {
    std::uint16_t columnNumber = 0; // col_num of the column
    bool ascending = true;
};

// A real index: the B-tree on disk. Logical indexes (what Access names) share them.
struct RealIndex {
    std::vector<IndexColumn> columns;
    std::uint32_t usageMap = 0;  // row pointer
    std::uint32_t firstPage = 0; // root page
    std::uint8_t flags = 0;      // 0x01 unique, 0x02 ignore nulls, 0x08 required
};

struct LogicalIndex {
    std::string name;
    std::int32_t number = 0;
    std::int32_t realIndex = 0;
    std::uint8_t kind = 0; // 0x01 primary key, 0x02 foreign key
};

struct TableDef {
    std::uint32_t page = 0; // first definition page; also the table's object id
    std::uint8_t tableType = 0;
    std::uint32_t rowCount = 0;
    std::uint32_t nextAutoNumber = 0;
    std::uint16_t maxColumns = 0;
    std::uint16_t varColumns = 0;
    RowPointer ownedPages;
    RowPointer freePages;
    std::vector<Column> columns; // in the order Access shows them
    std::vector<RealIndex> realIndexes;
    std::vector<LogicalIndex> indexes;
    std::vector<std::uint32_t> pages; // the definition's pages, in order
    std::size_t length = 0;           // tdef_len
    unsigned codePage = 0;            // Jet3: the database's, for text columns that name none

    const Column* find(const std::string& name) const;
};

TableDef readTableDef(Pager& pager, std::uint32_t firstPage, unsigned codePage);

} // namespace jet
