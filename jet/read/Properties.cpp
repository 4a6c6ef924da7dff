#include "jet/read/Properties.h"

#include <cstring>

#include "jet/base/Error.h"
#include "jet/format/NameMatch.h"
#include "jet/format/PropertyFormat.h"
#include "jet/format/Text.h"

namespace jet {

namespace {

std::string text(ByteView b, const Format& f, unsigned codePage) {
    return f.jet3 ? decodeCodePage(b.data(), b.size(), codePage) : decodeUcs2(b.data(), b.size());
}

// A u16 length and the text that follows, at `at`, which moves past it.
std::string lengthAndText(ByteView b, std::size_t& at, const Format& f, unsigned codePage) {
    const std::size_t n = b.u16(at);
    std::string s = text(b.sub(at + 2, n, "property name"), f, codePage);
    at += 2 + n;
    return s;
}

} // namespace

const PropertyValue* PropertyMap::find(const std::string& property) const {
    for (const auto& v : values)
        if (sameNameIgnoringCase(v.name, property)) return &v;
    return nullptr;
}

std::vector<PropertyMap> parseProperties(ByteView blob, const Format& f, unsigned codePage) {
    std::vector<PropertyMap> maps;
    if (blob.empty()) return maps;
    blob.need(0, property_blob::MarkSize, "property blob");
    if (std::memcmp(blob.data(), property_blob::Jet4Mark, property_blob::MarkSize) != 0 &&
        std::memcmp(blob.data(), property_blob::Jet3Mark, property_blob::MarkSize) != 0)
        corrupt("a property blob begins with neither MR2 nor KKD");
    std::vector<std::string> names;
    for (std::size_t at = property_blob::MarkSize; at < blob.size();) {
        const std::size_t length = blob.u32(at);
        if (length < property_blob::ChunkHead)
            corrupt("a property chunk of " + std::to_string(length) + " bytes");
        const std::uint16_t type = blob.u16(at + property_blob::ChunkType);
        const ByteView chunk =
            blob.sub(at + property_blob::ChunkHead, length - property_blob::ChunkHead, "property chunk");
        at += length;
        if (type == property_blob::NamesChunk) {
            for (std::size_t p = 0; p < chunk.size();)
                names.push_back(lengthAndText(chunk, p, f, codePage));
            continue;
        }
        PropertyMap map;
        std::size_t p = 0;
        if (!chunk.empty()) {
            const std::size_t nameBlock = chunk.u32(0);
            if (nameBlock < property_blob::NameBlockHead || nameBlock > chunk.size())
                corrupt("a property map's name lies outside it");
            if (nameBlock > property_blob::EmptyNameBlock) {
                std::size_t q = property_blob::NameBlockHead;
                map.name = lengthAndText(chunk.sub(0, nameBlock, "property map name"), q, f, codePage);
            }
            p = nameBlock;
        }
        while (p < chunk.size()) {
            const std::size_t entry = chunk.u16(p + property_blob::entry::Length);
            if (entry < property_blob::entry::Value)
                corrupt("a property entry of " + std::to_string(entry) + " bytes");
            const ByteView e = chunk.sub(p, entry, "property entry");
            p += entry;
            PropertyValue v;
            v.type = e.u8(property_blob::entry::Type);
            const std::size_t index = e.u16(property_blob::entry::NameIndex);
            if (index >= names.size())
                corrupt("a property names entry " + std::to_string(index) + " of " +
                        std::to_string(names.size()));
            v.name = names[index];
            const ByteView value = e.sub(property_blob::entry::Value,
                                         e.u16(property_blob::entry::ValueLength), "property value");
            v.bytes.assign(value.data(), value.data() + value.size());
            map.values.push_back(std::move(v));
        }
        maps.push_back(std::move(map));
    }
    return maps;
}

} // namespace jet
