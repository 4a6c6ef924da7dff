#pragma once
// Property blobs, the LvProp values of MSysObjects, read into maps of named values. Their layout
// is in jet/format/PropertyFormat.h.

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
