#pragma once
// The rows of a column's values, found by a hash of each value's key (see keyOfValue). The keys are
// not kept, the table holds them already: a lookup gives the rows whose keys share the hash of the
// key looked for, and the caller tests each against the key where it reads the row anyway (a
// store's RowTest). Keys that share a hash share a list of rows, which costs only rows tested in
// vain. Most values stand in one row, kept beside the hash; the rows of a value in several lie
// together. While the rows are added, a second, wider hash of each key tells the hashes that stand
// for one key from those shared by several: the rows of a hash of one key all hold the same key, so a
// test of one of them answers for all.

#include "db/HashSlots.h"
#include "db/TableStore.h"

#include <cstdint>
#include <deque>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

class ValueIndex {
public:
    // Adds a row whose value has the key `key`; rows are added in the order they are read.
    void add(std::string_view key, RowKey row);
    // Ends the adding: the rows of each hash are laid out together.
    void finish();
    struct Candidates {
        std::span<const RowKey> rows; // in the order they were added
        // Every one of the rows holds the same key (as far as a 64-bit second hash tells): where the
        // first holds `key`, the others do too.
        bool oneKey = false;
    };
    // The rows whose keys may be `key`.
    Candidates candidates(std::string_view key) const;
    // The hash a key is filed under.
    static std::uint32_t hashOf(std::string_view key) { return HashSlots::hashOf(key); }

private:
    static constexpr std::uint32_t None = HashSlots::None;
    HashSlots slots_;
    std::vector<RowKey> row_;         // by id: its row, or where its rows start in more_
    std::vector<std::uint32_t> count_; // by id: how many rows
    std::vector<RowKey> more_;
    std::vector<bool> mixed_;           // by id: keys of the hash differ
    std::vector<std::uint64_t> print_; // while adding, by id: the second hash of its first key
    // While adding: rows of hashes seen before, in order; in blocks, so that growing never holds
    // two copies.
    std::deque<std::pair<std::uint32_t, RowKey>> later_;
};

} // namespace db
