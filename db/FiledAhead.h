#pragma once
// Items filed a few behind the one given, in the order given. A caller that looks each item up in
// a large table asks for its slot when the item is given (HashSlots::prefetch) and files it when
// `Ahead` more have come, by then from memory: waiting on each slot in turn was much of building
// such a table.

#include <array>
#include <cstddef>
#include <cstdint>

namespace db {

template <class Item, std::size_t Ahead> class FiledAhead {
public:
    // Room for the next item, once `file` has filed the one given `Ahead` items before it.
    template <class File> Item& next(File&& file) {
        Item& room = items_[given_ % Ahead];
        if (given_ >= Ahead) file(room);
        ++given_;
        return room;
    }
    // Files the items still waiting, in the order given.
    template <class File> void finish(File&& file) {
        for (std::uint64_t i = given_ > Ahead ? given_ - Ahead : 0; i < given_; ++i)
            file(items_[i % Ahead]);
        given_ = 0;
    }

private:
    std::array<Item, Ahead> items_{};
    std::uint64_t given_ = 0;
};

} // namespace db
