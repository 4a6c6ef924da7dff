#include "jet/encode/PropertyWriter.h"

#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

constexpr std::uint16_t kNamesChunk = 0x80;
constexpr std::uint16_t kValuesChunk = 0x00;

// A chunk: u32 length (counting these six bytes), u16 type, then its body.
void appendChunk(Bytes& out, std::uint16_t type, const Bytes& body) {
    appendU32(out, static_cast<std::uint32_t>(body.size() + 6));
    appendU16(out, type);
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace

Property textProperty(const std::string& name, const std::string& value) {
    return {name, ColumnType::Text, encodeUcs2(utf16FromUtf8(value))};
}

Bytes encodeProperties(const std::vector<Property>& properties) {
    Bytes out{'M', 'R', '2', 0};
    Bytes names;
    for (const auto& p : properties) {
        Bytes n = encodeUcs2(utf16FromUtf8(p.name));
        appendU16(names, static_cast<std::uint16_t>(n.size()));
        names.insert(names.end(), n.begin(), n.end());
    }
    appendChunk(out, kNamesChunk, names);
    // The values of the object itself: a header of u32 6 and an empty name, then one entry each:
    // u16 entry length, u8 flags (0: not a DDL property), u8 type, u16 name index, u16 length, value.
    Bytes values;
    appendU32(values, 6);
    appendU16(values, 0);
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const Property& p = properties[i];
        appendU16(values, static_cast<std::uint16_t>(8 + p.value.size()));
        appendU8(values, 0);
        appendU8(values, static_cast<std::uint8_t>(p.type));
        appendU16(values, static_cast<std::uint16_t>(i));
        appendU16(values, static_cast<std::uint16_t>(p.value.size()));
        values.insert(values.end(), p.value.begin(), p.value.end());
    }
    appendChunk(out, kValuesChunk, values);
    return out;
}

} // namespace jet
