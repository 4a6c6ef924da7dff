#include "jet/write/DataPageCompactor.h"

#include <cstring>
#include <string>

#include "jet/base/Error.h"
#include "jet/format/DataPage.h"

namespace jet {

namespace {

// The bytes a row takes on the page: deleted rows whose bounds make no sense take none.
std::size_t rowLength(const RowSlot& s, unsigned index) {
    if (s.fits) return s.end - s.start;
    if (s.deleted()) return 0;
    corrupt("row " + std::to_string(index) + " has bounds outside its data page");
}

} // namespace

DataPageDraft::DataPageDraft(const Format& f, Bytes& page) : offsetTable_(dataPageOffsetTable(f)), page_(page) {
    const ByteView v(page.data(), page.size());
    const unsigned n = dataPageRowCount(f, v);
    slots_.resize(n);
    for (unsigned i = 0; i < n; ++i) {
        const RowSlot s = dataPageRow(f, v, i);
        Slot& slot = slots_[i];
        slot.length = static_cast<std::uint16_t>(rowLength(s, i));
        slot.at = static_cast<std::uint16_t>(slot.length ? s.start : 0);
        slot.flags = s.flags;
        used_ += slot.length;
    }
}

std::size_t DataPageDraft::tableEnd(std::size_t rows) const {
    return offsetTable_ + data_page::SlotSize * rows;
}

ByteView DataPageDraft::row(unsigned slot) const {
    const Slot& s = slots_.at(slot);
    return ByteView((s.changed ? changed_.data() : page_.data()) + s.at, s.length);
}

std::size_t DataPageDraft::freeSpace() const {
    const std::size_t lowest = page_.size() - used_;
    const std::size_t table = tableEnd(slots_.size());
    return lowest > table ? lowest - table : 0;
}

bool DataPageDraft::takes(std::size_t size) const {
    return slots_.size() < data_page::MaxRows && freeSpace() >= size + data_page::SlotSize;
}

bool DataPageDraft::set(unsigned slot, ByteView row, std::uint16_t flags) {
    const std::size_t n = slots_.size();
    if (slot > n)
        throw Error("internal error: row " + std::to_string(slot) + " asked of a page of " + std::to_string(n));
    const std::size_t count = slot == n ? n + 1 : n;
    if (count > data_page::MaxRows) return false;
    const std::size_t others = used_ - (slot < n ? slots_[slot].length : 0);
    if (others + row.size() + tableEnd(count) > page_.size()) return false;

    // A row set again no longer than it was set before keeps its place among the changed bytes;
    // otherwise it goes after them, laid out with the rest first when they would pass a page.
    const bool inPlace = slot < n && slots_[slot].changed && row.size() <= slots_[slot].length;
    if (!inPlace && changed_.size() + row.size() > page_.size()) layOut(page_);
    if (slot == n) slots_.emplace_back();
    Slot& s = slots_[slot];
    if (!inPlace) {
        s.at = static_cast<std::uint16_t>(changed_.size());
        changed_.resize(changed_.size() + row.size());
    }
    if (row.size()) std::memcpy(changed_.data() + s.at, row.data(), row.size());
    s.length = static_cast<std::uint16_t>(row.size());
    s.flags = flags;
    s.changed = true;
    used_ = others + row.size();
    return true;
}

void DataPageDraft::layOut(Bytes& page) {
    if (&page != &page_) throw Error("internal error: a data page laid out into another page's bytes");
    // The rows not changed are read from a copy, as the packed rows may land on their old bytes.
    thread_local Bytes scratch;
    scratch.assign(page.begin(), page.end());
    const std::size_t table = tableEnd(slots_.size());
    std::size_t at = page.size();
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        Slot& s = slots_[i];
        at -= s.length;
        if (s.length) std::memcpy(page.data() + at, (s.changed ? changed_.data() : scratch.data()) + s.at, s.length);
        s.at = static_cast<std::uint16_t>(at);
        s.changed = false;
        putU16(page, tableEnd(i), static_cast<std::uint16_t>(at | s.flags));
    }
    std::memset(page.data() + table, 0, at - table);
    putU16(page, offsetTable_ - 2, static_cast<std::uint16_t>(slots_.size()));
    putU16(page, data_page::FreeSpace, static_cast<std::uint16_t>(at - table));
    changed_.clear();
}

std::size_t dataPageFreeSpace(const Format& f, ByteView page) {
    const unsigned n = dataPageRowCount(f, page);
    std::size_t lowest = page.size();
    for (unsigned i = 0; i < n; ++i)
        lowest -= rowLength(dataPageRow(f, page, i), i);
    const std::size_t table = dataPageSlot(f, n);
    return lowest > table ? lowest - table : 0;
}

bool dataPageTakes(const Format& f, ByteView page, std::size_t size) {
    return dataPageRowCount(f, page) < data_page::MaxRows && dataPageFreeSpace(f, page) >= size + data_page::SlotSize;
}

bool rewriteDataPageRow(const Format& f, Bytes& page, unsigned slot, ByteView row, std::uint16_t flags) {
    DataPageDraft draft(f, page);
    if (!draft.set(slot, row, flags)) return false;
    draft.layOut(page);
    return true;
}

} // namespace jet
