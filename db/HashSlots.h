#pragma once
// Numbers filed by a 32-bit hash in an open-addressed table (linear probing, a power of two of
// slots, at most three quarters in use): the part the table of texts and the value index share.
// What a number stands for, and when two with one hash are the same, is the owner's to say.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace db {

class HashSlots {
public:
    static constexpr std::uint32_t None = UINT32_MAX;

    HashSlots() = default;
    HashSlots(HashSlots&& o) noexcept : slots_(std::move(o.slots_)), size_(std::exchange(o.size_, 0)) {}
    HashSlots& operator=(HashSlots&& o) noexcept {
        slots_ = std::move(o.slots_);
        size_ = std::exchange(o.size_, 0);
        return *this;
    }

    struct Slot {
        std::uint32_t id = None;
        std::uint32_t hash = 0; // most probes that miss end here, without looking at what id stands for
    };

    static std::uint32_t hashOf(std::string_view text) {
        const std::uint64_t h = std::hash<std::string_view>{}(text);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    bool empty() const { return size_ == 0; }
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
        if (size_ != 0) __builtin_prefetch(&slots_[hash & (size_ - 1)]);
#else
        (void)hash;
#endif
    }
    // Makes room for a number beyond the `numbers` filed.
    void roomFor(std::size_t numbers) {
        if ((numbers + 1) * 4 > size_ * 3) grow();
    }

private:
    template <class Same> std::size_t at(std::uint32_t hash, Same same) const {
        const std::size_t mask = size_ - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& s = slots_[i];
            if (s.id == None || (s.hash == hash && same(s.id))) return i;
        }
    }
    struct Free {
        void operator()(Slot* p) const { std::free(p); }
    };
    using Storage = std::unique_ptr<Slot[], Free>;
    // Room for `n` empty slots (a power of two). A large table is looked up at random: on Linux it
    // asks for huge pages, which spare the processor a page-table walk for most look-ups.
    static Storage allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(Slot);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        constexpr std::size_t Huge = std::size_t{2} << 20;
        void* p = bytes >= Huge ? std::aligned_alloc(Huge, bytes) : std::malloc(bytes);
        if (p && bytes >= Huge) madvise(p, bytes, MADV_HUGEPAGE);
#else
        void* p = std::malloc(bytes);
#endif
        if (!p) throw std::bad_alloc();
        Slot* room = static_cast<Slot*>(p);
        std::uninitialized_fill_n(room, n, Slot{});
        return Storage(room);
    }
    void grow() {
        const std::size_t size = std::max<std::size_t>(16, size_ * 2);
        Storage grown = allocate(size);
        const std::size_t mask = size - 1;
        for (std::size_t k = 0; k < size_; ++k) {
            const Slot& s = slots_[k];
            if (s.id == None) continue;
            std::size_t i = s.hash & mask;
            while (grown[i].id != None)
                i = (i + 1) & mask;
            grown[i] = s;
        }
        slots_ = std::move(grown);
        size_ = size;
    }

    Storage slots_;
    std::size_t size_ = 0; // a power of two, or none
};

} // namespace db
