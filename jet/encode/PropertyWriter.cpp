#include "jet/encode/PropertyWriter.h"

#include <iterator>

#include "jet/format/PropertyFormat.h"
#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

void appendChunk(Bytes& out, std::uint16_t type, const Bytes& body) {
    appendU32(out, static_cast<std::uint32_t>(body.size() + property_blob::ChunkHead));
    appendU16(out, type);
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace

Property textProperty(const std::string& name, const std::string& value) {
    return {name, ColumnType::Text, encodeUcs2(utf16FromUtf8(value))};
}

Bytes encodeProperties(const std::vector<Property>& properties) {
    Bytes out(std::begin(property_blob::Jet4Mark), std::end(property_blob::Jet4Mark));
    Bytes names;
    for (const auto& p : properties) {
        Bytes n = encodeUcs2(utf16FromUtf8(p.name));
        appendU16(names, static_cast<std::uint16_t>(n.size()));
        names.insert(names.end(), n.begin(), n.end());
    }
    appendChunk(out, property_blob::NamesChunk, names);
    // The values of the object itself: a name block with an empty name, then one entry each.
    Bytes values;
    appendU32(values, property_blob::EmptyNameBlock);
    appendU16(values, 0);
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const Property& p = properties[i];
        appendU16(values, static_cast<std::uint16_t>(property_blob::entry::Value + p.value.size()));
        appendU8(values, 0);
        appendU8(values, static_cast<std::uint8_t>(p.type));
        appendU16(values, static_cast<std::uint16_t>(i));
        appendU16(values, static_cast<std::uint16_t>(p.value.size()));
        values.insert(values.end(), p.value.begin(), p.value.end());
    }
    appendChunk(out, property_blob::ValuesChunk, values);
    return out;
}

} // namespace jet
