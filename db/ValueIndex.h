#pragma once
// The rows of a column's values, found by a hash of each value's key (see keyOfValue). The keys are
// not kept, the table holds them already: a lookup gives the rows whose keys share the hash of the
// key looked for, and the caller tests each against the key where it reads the row anyway (a
// store's RowTest). Keys that share a hash share a list of rows, which costs only rows tested in
// vain. Most values stand in one row, kept beside the hash; the rows of a value in several lie
// together. A second hash of each key (32 more bits) tells the hashes that stand for one key from
// those shared by several, and whether a key looked up is that one: its rows then hold it, as far as
// 64 bits of hash tell, and a key that differs in the second hash is in none of them.

#include "db/FiledAhead.h"
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
        // Every one of the rows holds `key`, as far as both hashes tell: none need be tested to be
        // counted. Otherwise each must be tested.
        bool holdKey = false;
    };
    // The rows whose keys may be `key`: none when the rows of its hash hold one key, another. Keys
    // looked up in the order their first rows were added cost least.
    Candidates candidates(std::string_view key) const;
    // The hash a key is filed under.
    static std::uint32_t hashOf(std::string_view key) { return HashSlots::hashOf(key); }
    // The second hash: FNV-1a, unrelated to the first, so that keys sharing one rarely share both.
    static std::uint32_t secondHashOf(std::string_view key);

private:
    static constexpr std::uint32_t None = HashSlots::None;
    // A row waiting to be filed (FiledAhead), its slot asked for.
    struct Pending {
        std::uint32_t hash = 0;
        std::uint32_t print = 0;
        RowKey row = 0;
    };
    void file(const Pending& p);
    FiledAhead<Pending, 8> ahead_;
    HashSlots slots_;
    std::vector<RowKey> row_;         // by id: its row, or where its rows start in more_
    std::vector<std::uint32_t> count_; // by id: how many rows
    std::vector<RowKey> more_;
    std::vector<bool> mixed_;           // by id: keys of the hash differ
    std::vector<std::uint32_t> print_; // by id: the second hash of its first key
    std::vector<std::uint32_t> hash_;  // by id: its hash
    // The number after the one candidates() answered last: where the next look-up is tried first.
    mutable std::uint32_t next_ = 0;
    // While adding: rows of hashes seen before, in order; in blocks, so that growing never holds
    // two copies. Twelve bytes each, not a pair's sixteen: they peak beside the rows laid out from them.
    struct Later {
        std::uint32_t id = 0;
        std::uint32_t rowLow = 0;
        std::uint32_t rowHigh = 0;
        RowKey row() const { return RowKey{rowHigh} << 32 | rowLow; }
    };
    std::deque<Later> later_;
};

} // namespace db
