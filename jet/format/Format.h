#pragma once
// The layout facts of the Access file format that the reader and the writer share: page sizes,
// page types, and where each field sits in the header, data pages, table definitions and rows of
// every version. Nothing here reads a file; see FORMAT.md for the prose.

#include <cstddef>
#include <cstdint>

namespace jet {

enum class Version : std::uint8_t {
    Jet3,  // Access 97
    Jet4,  // Access 2000 to 2003
    Ace12, // Access 2007
    Ace14, // Access 2010
    Ace16, // Access 2016
    Ace17, // Access 2019
};

const char* versionName(Version v);

// Page types: the first byte of every page.
namespace page_type {
inline constexpr std::uint8_t Header = 0x00;
inline constexpr std::uint8_t Data = 0x01;
inline constexpr std::uint8_t TableDef = 0x02;
inline constexpr std::uint8_t IndexNode = 0x03;
inline constexpr std::uint8_t IndexLeaf = 0x04;
inline constexpr std::uint8_t UsageBitmap = 0x05;
} // namespace page_type

// Page 0, the database definition page (offsets from the page start).
namespace header {
inline constexpr std::size_t EngineName = 0x04; // "Standard Jet DB" / "Standard ACE DB"
inline constexpr std::size_t EngineNameLen = 15;
inline constexpr std::size_t VersionByte = 0x14;
inline constexpr std::size_t MaskStart = 0x18; // start of the RC4-masked region
inline constexpr std::size_t Jet3SortOrder = 0x3A;
inline constexpr std::size_t CodePage = 0x3C;
inline constexpr std::size_t DatabaseKey = 0x3E;
inline constexpr std::size_t Password = 0x42;
inline constexpr std::size_t SortOrder = 0x6E;         // Jet4 and later
inline constexpr std::size_t CreationDate = 0x72;      // Jet4 and later
inline constexpr std::size_t OfficeCryptoInfo = 0x299; // ACE: u16 length, then EncryptionInfo
inline constexpr std::uint8_t MaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
} // namespace header

// Row offset table entries on data pages.
namespace row_slot {
inline constexpr std::uint16_t OffsetMask = 0x1FFF;
inline constexpr std::uint16_t Deleted = 0x8000;
inline constexpr std::uint16_t Overflow = 0x4000; // the row holds a pointer to where it moved
} // namespace row_slot

// Long values (memo, OLE): the 12-byte field in the row and the LVAL pages.
namespace long_value {
inline constexpr std::size_t FieldSize = 12;
inline constexpr std::uint32_t LengthMask = 0x3FFFFFFF;
inline constexpr std::uint8_t Inline = 0x80; // value follows the 12 bytes
inline constexpr std::uint8_t OneRow = 0x40; // one LVAL row holds it all
inline constexpr std::uint8_t Chain = 0x00;  // a chain of LVAL rows
} // namespace long_value

// Values of calculated columns (ACE 2010 and later) are wrapped: a 16-byte head, the length of the
// data (u32) and the data, 23 bytes more than the value.
namespace calculated_value {
inline constexpr std::size_t LengthOffset = 16;
inline constexpr std::size_t DataOffset = 20;
inline constexpr std::size_t ExtraBytes = 23;
} // namespace calculated_value

// Column flags in the column block.
namespace column_flag {
inline constexpr std::uint8_t Fixed = 0x01;
inline constexpr std::uint8_t Nullable = 0x02;
inline constexpr std::uint8_t AutoLong = 0x04;
inline constexpr std::uint8_t AutoGuid = 0x40;
inline constexpr std::uint8_t Hyperlink = 0x80;
} // namespace column_flag

// Everything that differs between Jet3 and the Jet4 family.
struct Format {
    Version version;
    bool jet3;
    std::size_t pageSize;
    std::size_t headerMaskLength; // bytes of page 0 under the RC4 header mask
    std::size_t passwordLength;   // bytes of the password field

    // Data pages.
    std::size_t dataRowCount; // u16 number of rows; the offset table follows
    std::size_t dataTdefPage; // u32 owning table definition page

    // Table definition: the block header.
    std::size_t tdefRowCount;
    std::size_t tdefAutoNumber;
    std::size_t tdefTableType;
    std::size_t tdefMaxCols;
    std::size_t tdefVarCols;
    std::size_t tdefColumnCount;
    std::size_t tdefLogicalIndexCount;
    std::size_t tdefRealIndexCount;
    std::size_t tdefOwnedPages; // u32: row (low byte) and page of the owned-pages usage map
    std::size_t tdefFreePages;
    std::size_t tdefBlocksStart;  // first real-index entry
    std::size_t realIndexEntry;   // bytes per real-index entry in the header block
    std::size_t columnEntry;      // bytes per column block
    std::size_t nameLengthSize;   // 1 (Jet3) or 2 bytes before each name
    std::size_t realIndexColumns; // bytes per real-index column block
    std::size_t logicalIndexEntry;

    // Column block fields.
    std::size_t colType;
    std::size_t colNumber;
    std::size_t colVarIndex;
    std::size_t colSortOrder;
    std::size_t colCodePage;  // Jet3 only
    std::size_t colPrecision; // numeric: precision, then scale
    std::size_t colComplexId; // ACE only
    std::size_t colFlags;
    std::size_t colExtFlags; // Jet4 family only
    std::size_t colFixedOffset;
    std::size_t colLength;

    // Rows.
    std::size_t rowCountSize; // width of the column count and of var offsets (1 or 2)

    // Long values.
    std::size_t maxLongValueRow;
};

const Format& formatFor(Version v);

// Largest page number a file of this format can hold (2 GiB / page size, 1 GiB for Jet3).
std::uint64_t maxFileSize(const Format& f);

} // namespace jet
