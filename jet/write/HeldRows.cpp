#include "jet/write/HeldRows.h"

#include <algorithm>
#include <cstring>

#include "jet/base/Error.h"

namespace jet {

std::size_t HeldRows::Page::imageOf(std::uint8_t row) const {
    for (std::size_t i = images.size(); i-- > 0;)
        if (images[i].row == row) return i;
    throw Error("internal error: a held row has no image");
}

HeldRows::Page* HeldRows::pageOf(std::uint32_t page) const {
    return page < pages_.size() ? pages_[page].get() : nullptr;
}

std::optional<HeldRows::Held> HeldRows::find(RowId id) const {
    const Page* p = pageOf(id.page);
    if (!p || !p->holds(id.row)) return std::nullopt;
    const Image& i = p->images[p->imageOf(id.row)];
    return Held{i.row, ByteView(p->bytes.data() + i.offset, i.length), i.changes};
}

void HeldRows::hold(RowId id, ByteView bytes, bool changes) {
    Page* found = pageOf(id.page);
    if (!found) {
        if (id.page >= pages_.size()) pages_.resize(std::max<std::size_t>(id.page + 1, pages_.size() * 2));
        found = (pages_[id.page] = std::make_unique<Page>()).get();
    }
    Page& p = *found;
    Image* image = p.holds(id.row) ? &p.images[p.imageOf(id.row)] : nullptr;
    if (image) image->changes = changes;
    if (image && bytes.size() <= image->length) {
        // Where the row's image was: what it leaves at its end counts until the page is compacted.
        std::memcpy(p.bytes.data() + image->offset, bytes.data(), bytes.size());
        p.live -= image->length - bytes.size();
        image->length = static_cast<std::uint32_t>(bytes.size());
        return;
    }
    const std::size_t before = p.bytes.capacity();
    if (image) {
        p.live -= image->length;
        // The image held last grows where it lies (a row several statements change in turn).
        if (image->offset + image->length == p.bytes.size()) p.bytes.resize(image->offset);
        image->offset = static_cast<std::uint32_t>(p.bytes.size());
        image->length = static_cast<std::uint32_t>(bytes.size());
    } else {
        p.images.push_back({id.row, changes, static_cast<std::uint32_t>(p.bytes.size()),
                            static_cast<std::uint32_t>(bytes.size())});
        p.rows[id.row >> 6] |= std::uint64_t{1} << (id.row & 63);
        bytes_ += sizeof(Image);
        ++rows_;
    }
    // A page far ahead gains a row now and then: its bytes grow by a quarter, not double, so that the
    // room held rows take holds rows rather than spare capacity.
    if (p.bytes.size() + bytes.size() > p.bytes.capacity())
        p.bytes.reserve(p.bytes.size() + bytes.size() + std::max<std::size_t>(p.bytes.size() / 4, MinGrowth));
    p.bytes.insert(p.bytes.end(), bytes.data(), bytes.data() + bytes.size());
    p.live += bytes.size();
    if (p.bytes.size() > 2 * p.live + 256) compact(p);
    bytes_ += p.bytes.capacity() - before;
}

void HeldRows::compact(Page& p) {
    Bytes packed;
    packed.reserve(p.live);
    for (Image& i : p.images) {
        const auto at = static_cast<std::uint32_t>(packed.size());
        packed.insert(packed.end(), p.bytes.begin() + i.offset, p.bytes.begin() + i.offset + i.length);
        i.offset = at;
    }
    p.bytes.swap(packed);
}

namespace {

// The order pages are offered in: the most rows first, then the lower page number.
bool offeredLater(const std::pair<std::size_t, std::uint32_t>& a, const std::pair<std::size_t, std::uint32_t>& b) {
    return a.first != b.first ? a.first < b.first : a.second > b.second;
}

} // namespace

HeldRows::ByRows::ByRows(const HeldRows& held) {
    for (std::uint32_t page = 0; page < held.pages_.size(); ++page)
        if (const Page* p = held.pages_[page].get()) heap_.emplace_back(p->images.size(), page);
    std::make_heap(heap_.begin(), heap_.end(), offeredLater);
}

std::optional<std::uint32_t> HeldRows::ByRows::next() {
    if (heap_.empty()) return std::nullopt;
    std::pop_heap(heap_.begin(), heap_.end(), offeredLater);
    const std::uint32_t page = heap_.back().second;
    heap_.pop_back();
    return page;
}

std::vector<std::uint32_t> HeldRows::pages() const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t page = 0; page < pages_.size(); ++page)
        if (pages_[page]) out.push_back(page);
    return out;
}

std::vector<HeldRows::Held> HeldRows::of(std::uint32_t page) const {
    std::vector<Held> out;
    const Page* held = pageOf(page);
    if (!held) return out;
    const Page& p = *held;
    out.reserve(p.images.size());
    for (const Image& i : p.images)
        out.push_back({i.row, ByteView(p.bytes.data() + i.offset, i.length), i.changes});
    return out;
}

void HeldRows::drop(std::uint32_t page) {
    const Page* p = pageOf(page);
    if (!p) return;
    rows_ -= p->images.size();
    bytes_ -= p->images.size() * sizeof(Image) + p->bytes.capacity();
    pages_[page].reset();
}

void HeldRows::clear() {
    pages_.clear();
    rows_ = 0;
    bytes_ = 0;
}

} // namespace jet
