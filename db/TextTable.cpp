#include "db/TextTable.h"

#include <algorithm>
#include <cstring>

namespace db {

namespace {

constexpr std::size_t FirstBlock = 4096;
constexpr std::size_t LargestBlock = std::size_t{1} << 20;

} // namespace

std::uint32_t TextTable::find(std::string_view text) const {
    if (slots_.empty()) return None;
    return slots_.find(HashSlots::hashOf(text), [&](std::uint32_t id) { return at(texts_[id]) == text; }).id;
}

std::pair<std::uint32_t, bool> TextTable::insert(std::string_view text) {
    slots_.roomFor(texts_.size());
    const std::uint32_t hash = HashSlots::hashOf(text);
    HashSlots::Slot& s = slots_.find(hash, [&](std::uint32_t id) { return at(texts_[id]) == text; });
    if (s.id != None) return {s.id, false};
    s.id = static_cast<std::uint32_t>(texts_.size());
    s.hash = hash;
    texts_.push_back(keep(text));
    return {s.id, true};
}

// Earlier copies never move.
const char* TextTable::keep(std::string_view text) {
    const std::size_t need = text.size() + 10; // the most a length takes, and the bytes
    if (blocks_.empty() || blockSize_ - blockUsed_ < need) {
        blockSize_ = std::max(need, std::min(LargestBlock, std::max(FirstBlock, blockSize_ * 2)));
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        blockUsed_ = 0;
    }
    char* const start = blocks_.back().get() + blockUsed_;
    char* out = start;
    std::size_t n = text.size();
    do {
        *out++ = static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
        n >>= 7;
    } while (n);
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    blockUsed_ += static_cast<std::size_t>(out - start) + text.size();
    return start;
}

std::string_view TextTable::at(const char* kept) {
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<unsigned char>(*kept++);
        n |= std::size_t{b & 0x7Fu} << shift;
        if (!(b & 0x80)) break;
    }
    return {kept, n};
}

} // namespace db
