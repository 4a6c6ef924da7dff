#pragma once
// Property blobs, the LvProp values of MSysObjects: "MR2\0" (Jet 4 and later) or "KKD\0" (Jet 3),
// then chunks of a u32 length (counting its own six bytes) and a u16 type. The chunk of type 0x80
// lists the property names (u16 byte length, text); every other chunk holds one map: a u32 length
// of its name block (counting those four bytes), a u16 length and the name (the column's, or empty
// for the object itself), then entries of u16 entry length, u8 DDL flag, u8 data type, u16 index
// into the names, u16 value length, the value.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/base/Bytes.h"
#include "jet/format/Format.h"

namespace jet {

struct PropertyValue {
    std::string name;
    std::uint8_t type = 0; // a column type code
    std::vector<std::uint8_t> bytes;
};

struct PropertyMap {
    std::string name; // the column it describes; empty for the object itself
    std::vector<PropertyValue> values;
    const PropertyValue* find(const std::string& property) const;
};

// Throws Corrupt when the blob is damaged; an empty blob has no maps.
std::vector<PropertyMap> parseProperties(ByteView blob, const Format& format, unsigned codePage);

} // namespace jet
