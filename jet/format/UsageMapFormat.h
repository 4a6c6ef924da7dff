#pragma once
// The layout of usage maps, shared by their reader (jet/read/UsageMap), their writer
// (jet/encode/UsageMapWriter) and their editor (jet/write/UsageMapEditor).
//
// A map is a row on a data page. Its first byte is its kind. An inline map (kind 0) holds a u32
// start page and a bitmap whose bit n stands for page start + n. A reference map (kind 1) holds u32
// page numbers of bitmap pages (0 where there is none); the k-th covers the pages from k times
// pagesPerBitmapPage on. A bitmap page is a page of type 0x05 whose bitmap begins at byte 4. Bits
// go from the least significant of each byte up.

#include <cstddef>
#include <cstdint>

#include "jet/format/Format.h"

namespace jet::usage_map {

// The first byte of a map row.
inline constexpr std::uint8_t Inline = 0x00;
inline constexpr std::uint8_t Reference = 0x01;

// Offsets in a map row.
inline constexpr std::size_t Kind = 0;
inline constexpr std::size_t InlineStart = 1;  // u32, the page of bit 0
inline constexpr std::size_t InlineBitmap = 5; // the bitmap, to the row's end
inline constexpr std::size_t References = 1;   // u32 page numbers, to the row's end

// A bitmap page: the page type, 0x01, two unused bytes, the bitmap.
inline constexpr std::uint8_t BitmapPageMark = 0x01; // the byte after the page type
inline constexpr std::size_t BitmapPageBits = 4;

// Bytes of the bitmap of an inline map row Access makes: 64, or 128 in Jet3 files.
inline std::size_t inlineBitmap(const Format& f) {
    return f.jet3 ? 128 : 64;
}
// Bytes of a map row Access makes; both kinds take the same.
inline std::size_t rowSize(const Format& f) {
    return InlineBitmap + inlineBitmap(f);
}
// Pointers a reference map row of `rowBytes` holds.
inline std::size_t referencePointers(std::size_t rowBytes) {
    return (rowBytes - References) / 4;
}
inline std::size_t referencePointers(const Format& f) {
    return referencePointers(rowSize(f));
}
// Pages one bitmap page of a reference map covers.
inline std::uint64_t pagesPerBitmapPage(const Format& f) {
    return std::uint64_t{f.pageSize - BitmapPageBits} * 8;
}

// Bit `bit` of a bitmap.
inline bool bitOf(const std::uint8_t* bitmap, std::uint64_t bit) {
    return bitmap[bit / 8] & (1u << (bit % 8));
}
inline void setBit(std::uint8_t* bitmap, std::uint64_t bit, bool value = true) {
    const auto mask = static_cast<std::uint8_t>(1u << (bit % 8));
    if (value)
        bitmap[bit / 8] |= mask;
    else
        bitmap[bit / 8] &= static_cast<std::uint8_t>(~mask);
}

} // namespace jet::usage_map
