#pragma once
// The rows of a column's values, found by a hash of each value's key (see keyOfValue). The keys are
// not kept, the table holds them already: a lookup gives the rows whose keys share the hash of the
// key looked for, and the caller tests each against the key where it reads the row anyway (a
// store's RowTest). Keys that share a hash share a list of rows, which costs only rows tested in
// vain. Most values stand in one row, kept beside the hash; the rows of a value in several lie
// together.

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
    // The rows whose keys may be `key`, in the order they were added.
    std::span<const RowKey> candidates(std::string_view key) const;
    // The hash a key is filed under.
    static std::uint32_t hashOf(std::string_view key) { return HashSlots::hashOf(key); }

private:
    static constexpr std::uint32_t None = HashSlots::None;
    HashSlots slots_;
    std::vector<RowKey> row_;         // by id: its row, or where its rows start in more_
    std::vector<std::uint32_t> count_; // by id: how many rows
    std::vector<RowKey> more_;
    // While adding: rows of hashes seen before, in order; in blocks, so that growing never holds
    // two copies.
    std::deque<std::pair<std::uint32_t, RowKey>> later_;
};

} // namespace db
