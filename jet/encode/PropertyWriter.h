#pragma once
// Property blobs, the LvProp values of MSysObjects (their layout: jet/format/PropertyFormat.h):
// "MR2\0", a chunk listing the property names, then chunks of values, each naming its property by
// index. Only the object's own properties (the chunk without a column name) are written here;
// column properties are a later need.

#include <string>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/format/ColumnType.h"

namespace jet {

struct Property {
    std::string name;
    ColumnType type = ColumnType::Text;
    Bytes value; // as stored: text as UCS-2LE, numbers little-endian
};

// The blob holding `properties` as the object's own (Jet 4 and later).
Bytes encodeProperties(const std::vector<Property>& properties);

// A text property.
Property textProperty(const std::string& name, const std::string& value);

} // namespace jet
