#include "db/ValueIndex.h"

namespace db {

namespace {

// Keys of one hash share a number.
bool anyNumber(std::uint32_t) {
    return true;
}

} // namespace

std::uint32_t ValueIndex::secondHashOf(std::string_view key) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : key) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ull;
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void ValueIndex::add(std::string_view key, RowKey row) {
    Pending& at = ahead_.next([&](const Pending& p) { file(p); });
    at = {hashOf(key), secondHashOf(key), row};
    slots_.prefetch(at.hash);
}

void ValueIndex::file(const Pending& p) {
    slots_.roomFor(count_.size());
    HashSlots::Slot& s = slots_.find(p.hash, anyNumber);
    if (s.id == None) {
        s.id = static_cast<std::uint32_t>(count_.size());
        s.hash = p.hash;
        row_.push_back(p.row);
        count_.push_back(1);
        mixed_.push_back(false);
        print_.push_back(p.print);
        hash_.push_back(p.hash);
    } else {
        ++count_[s.id];
        later_.push_back({s.id, static_cast<std::uint32_t>(p.row), static_cast<std::uint32_t>(p.row >> 32)});
        if (!mixed_[s.id] && print_[s.id] != p.print) mixed_[s.id] = true;
    }
}

void ValueIndex::finish() {
    ahead_.finish([&](const Pending& p) { file(p); });
    if (!later_.empty()) {
        // Each hash of several rows gets its run in more_: its first row, then the others in order.
        // Its count is how many are in while they are put in, and so ends as it was.
        std::size_t total = 0;
        for (std::uint32_t id = 0; id < count_.size(); ++id)
            if (count_[id] > 1) total += count_[id];
        more_.resize(total);
        std::size_t at = 0;
        for (std::uint32_t id = 0; id < count_.size(); ++id)
            if (count_[id] > 1) {
                more_[at] = row_[id];
                row_[id] = at;
                at += count_[id];
                count_[id] = 1;
            }
        for (const Later& l : later_)
            more_[row_[l.id] + count_[l.id]++] = l.row();
        std::deque<Later>().swap(later_);
    }
    row_.shrink_to_fit();
    count_.shrink_to_fit();
    mixed_.shrink_to_fit();
    print_.shrink_to_fit();
    hash_.shrink_to_fit();
}

ValueIndex::Candidates ValueIndex::candidates(std::string_view key) const {
    if (slots_.empty()) return {};
    const std::uint32_t hash = hashOf(key);
    // A hash has one number, so when the number after the last one answered has this hash, it is the
    // one the slots would give: keys looked up in the order their rows were added are found without a
    // search of the slots, which lies far from the last one in memory.
    std::uint32_t id = next_;
    if (id >= hash_.size() || hash_[id] != hash) {
        id = slots_.find(hash, anyNumber).id;
        if (id == None) return {};
    }
    next_ = id + 1;
    const bool oneKey = count_[id] == 1 || !mixed_[id];
    const bool sameKey = print_[id] == secondHashOf(key);
    // The rows of one key hold another when its second hash differs.
    if (oneKey && !sameKey) return {};
    const std::span<const RowKey> rows = count_[id] == 1
                                             ? std::span<const RowKey>(&row_[id], 1)
                                             : std::span<const RowKey>(more_.data() + row_[id], count_[id]);
    return {rows, oneKey};
}

} // namespace db
