#pragma once
// Little-endian writes into a byte buffer: the writer's counterpart of ByteView. Appending grows the
// buffer; writing at an offset expects the room to be there.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace jet {

using Bytes = std::vector<std::uint8_t>;

inline void putU8(Bytes& b, std::size_t at, std::uint8_t v) {
    b.at(at) = v;
}
inline void putU16(Bytes& b, std::size_t at, std::uint16_t v) {
    b.at(at + 1);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putU24(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at + 2);
    for (int i = 0; i < 3; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void putU32(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at + 3);
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void putU64(Bytes& b, std::size_t at, std::uint64_t v) {
    putU32(b, at, static_cast<std::uint32_t>(v));
    putU32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}
inline void putF64(Bytes& b, std::size_t at, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU64(b, at, bits);
}

inline void appendU8(Bytes& b, std::uint8_t v) {
    b.push_back(v);
}
inline void appendU16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void appendU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void appendU64(Bytes& b, std::uint64_t v) {
    appendU32(b, static_cast<std::uint32_t>(v));
    appendU32(b, static_cast<std::uint32_t>(v >> 32));
}
inline void appendF32(Bytes& b, float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    appendU32(b, bits);
}
inline void appendF64(Bytes& b, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    appendU64(b, bits);
}
inline void appendBytes(Bytes& b, const std::uint8_t* data, std::size_t n) {
    b.insert(b.end(), data, data + n);
}

// A row pointer as usage maps, long values and moved rows store it: [row u8][page u24].
inline std::uint32_t rowPointerValue(std::uint32_t page, std::uint8_t row) {
    return page << 8 | row;
}

} // namespace jet
