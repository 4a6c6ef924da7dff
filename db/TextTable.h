#pragma once
// Distinct texts, each numbered in the order it was first added (0, 1, 2, ...), held compactly: each
// text's length and bytes one after the other in large blocks, and an open-addressed table of
// numbers. A table of short values takes well under half of what a std::unordered_map of strings
// takes, which matters when a split holds every value of a field while it runs.

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
    std::pair<std::uint32_t, bool> insert(std::string_view text);
    // The number of `text`, None when it was never added.
    std::uint32_t find(std::string_view text) const;
    // Text number `id`; the view stays good as long as the table.
    std::string_view text(std::uint32_t id) const { return at(texts_[id]); }
    std::size_t size() const { return texts_.size(); }
    // Room for `n` texts without moving the numbers (a hint; tables grow as needed).
    void reserve(std::size_t n) { texts_.reserve(n); }
    // Gives back the room reserve() set aside beyond the texts added.
    void shrinkToFit() { texts_.shrink_to_fit(); }

private:
    // A text kept in the blocks: its length (7 bits a byte, low bits first), then its bytes.
    const char* keep(std::string_view text);
    static std::string_view at(const char* kept);

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = 0, blockSize_ = 0;
    std::vector<const char*> texts_; // by number, into blocks_
    HashSlots slots_;
};

} // namespace db
