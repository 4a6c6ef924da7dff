#include "db/TextTable.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace db {

namespace {

constexpr std::size_t FirstBlock = 4096;
constexpr std::size_t LargestBlock = std::size_t{1} << 20;

} // namespace

std::uint32_t TextTable::find(std::string_view text) const {
    if (slots_.empty()) return None;
    const std::uint32_t ref =
        slots_.find(HashSlots::hashOf(text), [&](std::uint32_t r) { return textOf(entry(r)) == text; }).id;
    return ref == HashSlots::None ? None : idOf(entry(ref));
}

std::pair<std::uint32_t, bool> TextTable::insert(std::string_view text, std::uint32_t hash) {
    slots_.roomFor(refs_.size());
    HashSlots::Slot& s = slots_.find(hash, [&](std::uint32_t r) { return textOf(entry(r)) == text; });
    if (s.id != HashSlots::None) return {idOf(entry(s.id)), false};
    const auto id = static_cast<std::uint32_t>(refs_.size());
    const std::uint32_t ref = keep(id, text);
    s.id = ref;
    s.hash = hash;
    refs_.push_back(ref);
    return {id, true};
}

// Earlier entries never move.
std::uint32_t TextTable::keep(std::uint32_t id, std::string_view text) {
    const std::size_t need = text.size() + 4 + 10; // the number, the most a length takes, the bytes
    if (blocks_.empty() || blockSize_ - blockUsed_ < need || blockUsed_ >= (std::size_t{1} << BlockBits)) {
        // A ref is never None: its block comes before the last one that number could name.
        if (blocks_.size() + 1 >= (std::size_t{1} << (32 - BlockBits)))
            throw std::length_error("too many distinct texts to keep");
        blockSize_ = std::max(need, std::min(LargestBlock, std::max(FirstBlock, blockSize_ * 2)));
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        blockUsed_ = 0;
    }
    char* const start = blocks_.back().get() + blockUsed_;
    std::memcpy(start, &id, 4);
    char* out = start + 4;
    std::size_t n = text.size();
    do {
        *out++ = static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
        n >>= 7;
    } while (n);
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    const auto ref = static_cast<std::uint32_t>((blocks_.size() - 1) << BlockBits | blockUsed_);
    blockUsed_ += static_cast<std::size_t>(out - start) + text.size();
    return ref;
}

std::uint32_t TextTable::idOf(const char* entry) {
    std::uint32_t id;
    std::memcpy(&id, entry, 4);
    return id;
}

std::string_view TextTable::textOf(const char* entry) {
    const char* kept = entry + 4;
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<unsigned char>(*kept++);
        n |= std::size_t{b & 0x7Fu} << shift;
        if (!(b & 0x80)) break;
    }
    return {kept, n};
}

} // namespace db
