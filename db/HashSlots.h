#pragma once
// Numbers filed by a 32-bit hash in an open-addressed table (linear probing, a power of two of
// slots, at most three quarters in use): the part the table of texts and the value index share.
// What a number stands for, and when two with one hash are the same, is the owner's to say.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace db {

class HashSlots {
public:
    static constexpr std::uint32_t None = UINT32_MAX;
    struct Slot {
        std::uint32_t id = None;
        std::uint32_t hash = 0; // most probes that miss end here, without looking at what id stands for
    };

    static std::uint32_t hashOf(std::string_view text) {
        const std::uint64_t h = std::hash<std::string_view>{}(text);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    bool empty() const { return slots_.empty(); }
    // Where the search for `hash` ends: the first empty slot, or the first of that hash whose number
    // `same` accepts.
    template <class Same> Slot& find(std::uint32_t hash, Same same) {
        return slots_[at(hash, same)];
    }
    template <class Same> const Slot& find(std::uint32_t hash, Same same) const {
        return slots_[at(hash, same)];
    }
    // Asks for the slot where the search for `hash` begins to be brought into the cache: a caller
    // that knows its next hashes ahead need not wait on each in turn.
    void prefetch(std::uint32_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
        if (!slots_.empty()) __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
#else
        (void)hash;
#endif
    }
    // Makes room for a number beyond the `numbers` filed.
    void roomFor(std::size_t numbers) {
        if ((numbers + 1) * 4 > slots_.size() * 3) grow();
    }

private:
    template <class Same> std::size_t at(std::uint32_t hash, Same same) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& s = slots_[i];
            if (s.id == None || (s.hash == hash && same(s.id))) return i;
        }
    }
    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(16, slots_.size() * 2));
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& s : old) {
            if (s.id == None) continue;
            std::size_t i = s.hash & mask;
            while (slots_[i].id != None)
                i = (i + 1) & mask;
            slots_[i] = s;
        }
    }

    std::vector<Slot> slots_;
};

} // namespace db
