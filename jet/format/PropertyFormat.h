#pragma once
// The layout of property blobs, the LvProp values of MSysObjects, shared by their reader
// (jet/read/Properties) and writer (jet/encode/PropertyWriter).
//
// A blob begins with a four-byte mark, "MR2\0" (Jet 4 and later) or "KKD\0" (Jet 3), then holds
// chunks: a u32 length (counting the chunk's own six-byte head), a u16 type, the body. The chunk of
// type 0x80 lists the property names (u16 byte length, text); every other chunk holds one map of
// values: a u32 length of its name block (counting those four bytes), a u16 length and the name
// (the column's, or empty for the object itself), then entries of u16 entry length, u8 DDL flag,
// u8 data type, u16 index into the names, u16 value length, the value.

#include <cstddef>
#include <cstdint>

namespace jet::property_blob {

inline constexpr std::size_t MarkSize = 4;
inline constexpr char Jet4Mark[MarkSize] = {'M', 'R', '2', '\0'};
inline constexpr char Jet3Mark[MarkSize] = {'K', 'K', 'D', '\0'};

// A chunk's head: u32 length, u16 type.
inline constexpr std::size_t ChunkHead = 6;
inline constexpr std::size_t ChunkType = 4;
inline constexpr std::uint16_t NamesChunk = 0x80;
inline constexpr std::uint16_t ValuesChunk = 0x00; // what the writer makes; any type but 0x80 is one

// A map's name block: u32 its length (counting these four bytes), then u16 length and the name.
inline constexpr std::size_t NameBlockHead = 4;
// The name block of the object's own map: the u32 and a name of length 0.
inline constexpr std::size_t EmptyNameBlock = NameBlockHead + 2;

// An entry, from its start.
namespace entry {
inline constexpr std::size_t Length = 0;      // u16, counting the whole entry
inline constexpr std::size_t DdlFlag = 2;     // u8, 0 for a property that is not a DDL property
inline constexpr std::size_t Type = 3;        // u8, a column type code
inline constexpr std::size_t NameIndex = 4;   // u16, into the names chunk
inline constexpr std::size_t ValueLength = 6; // u16
inline constexpr std::size_t Value = 8;       // the value; also the head's size
} // namespace entry

} // namespace jet::property_blob
