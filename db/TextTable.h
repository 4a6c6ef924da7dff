#pragma once
// Distinct texts, each numbered in the order it was first added (0, 1, 2, ...), held compactly: each
// text's number, length and bytes one after the other in large blocks, and an open-addressed table of
// where they lie. A table of short values takes well under half of what a std::unordered_map of
// strings takes, which matters when a split holds every value of a field while it runs; a text found
// again is compared where its number lies, in one place.

#include "db/HashSlots.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

class TextTable {
public:
    static constexpr std::uint32_t None = HashSlots::None;

    // The number of `text`, and whether it was added now.
    std::pair<std::uint32_t, bool> insert(std::string_view text) { return insert(text, hashOf(text)); }
    // The same, with the text's hashOf() known.
    std::pair<std::uint32_t, bool> insert(std::string_view text, std::uint32_t hash);
    static std::uint32_t hashOf(std::string_view text) { return HashSlots::hashOf(text); }
    // Asks for the slot of a text of hash `hash` to be brought into the cache: a caller that knows
    // the texts it will add a few ahead need not wait on each slot in turn.
    void prefetch(std::uint32_t hash) const { slots_.prefetch(hash); }
    // The number of `text`, None when it was never added.
    std::uint32_t find(std::string_view text) const;
    // Text number `id`; the view stays good as long as the table.
    std::string_view text(std::uint32_t id) const { return textOf(entry(refs_[id])); }
    std::size_t size() const { return refs_.size(); }
    // Room for `n` texts without moving the numbers (a hint; tables grow as needed).
    void reserve(std::size_t n) { refs_.reserve(n); }
    // Gives back the room reserve() set aside beyond the texts added.
    void shrinkToFit() { refs_.shrink_to_fit(); }

private:
    // Where a text is kept: its block (the high bits) and where in it its entry starts (the low
    // BlockBits). An entry is the text's number (4 bytes), its length (7 bits a byte, low bits
    // first) and its bytes. Entries start below 1 << BlockBits in their block.
    static constexpr unsigned BlockBits = 20;
    std::uint32_t keep(std::uint32_t id, std::string_view text);
    const char* entry(std::uint32_t ref) const {
        return blocks_[ref >> BlockBits].get() + (ref & ((std::uint32_t{1} << BlockBits) - 1));
    }
    static std::uint32_t idOf(const char* entry);
    static std::string_view textOf(const char* entry);

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = 0, blockSize_ = 0;
    std::vector<std::uint32_t> refs_; // by number
    HashSlots slots_;                 // by hash: refs
};

} // namespace db
