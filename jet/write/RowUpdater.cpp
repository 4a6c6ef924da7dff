#include "jet/write/RowUpdater.h"

#include <string>

#include "jet/base/Error.h"
#include "jet/encode/DataPageWriter.h"
#include "jet/encode/FieldEncoder.h"
#include "jet/encode/LongValueWriter.h"
#include "jet/encode/RowEncoder.h"
#include "jet/write/DataPageCompactor.h"

namespace jet {

namespace {

// Pages with less room than this are not worth remembering as homes for moved rows.
constexpr std::size_t kUsefulRoom = 64;
constexpr std::size_t kRoomHints = 512;
constexpr std::size_t kPointerSize = 4;
constexpr int kReleaseStage = 3;

// Long-value pages are not written by updates yet: a value that would need one never gets a
// page number from here.
class NoPages : public PageSink {
public:
    void writePage(std::uint32_t, const Bytes&) override { throw Unsupported("no pages"); }
};

// A Memo or OLE value short enough to live in the row itself (as Access keeps short values).
FieldValue encodeShortLongValue(const Format& f, const Column& c, const Value& v) {
    NoPages sink;
    PageAllocator alloc(0, ~std::uint64_t{0});
    LongValueWriter values(f, alloc, sink);
    FieldValue out = encodeField(c, v, &values, true);
    if (!values.pages().empty())
        throw Unsupported("column " + c.name + ": " + columnTypeName(c.type) + " values longer than " +
                          std::to_string(long_value_limits::MaxInline) + " bytes cannot be written yet");
    return out;
}

} // namespace

RowUpdater::RowUpdater(PageWriter& writer, const TableDef& def, const TableDef* writeAs)
    : w_(writer), def_(def), out_(writeAs ? *writeAs : def), maps_(writer) {
    for (const auto& ri : def.realIndexes)
        for (const auto& ic : ri.columns) {
            if (ic.columnNumber >= indexed_.size()) indexed_.resize(ic.columnNumber + 1u, false);
            indexed_[ic.columnNumber] = true;
        }
}

void RowUpdater::check(const std::vector<std::pair<std::size_t, Value>>& values) const {
    if (&out_ != &def_ && !values.empty())
        throw Error("internal error: values given for a row written in another layout");
    for (const auto& [at, v] : values) {
        if (at >= def_.columns.size()) throw Error("the table has no column " + std::to_string(at + 1));
        const Column& c = def_.columns[at];
        if (c.number < indexed_.size() && indexed_[c.number])
            throw Unsupported("column " + c.name +
                              " is part of an index; changing indexed columns is not supported yet");
        if (c.calculated())
            throw Unsupported("column " + c.name + " is calculated; its values cannot be set");
        if (c.type == ColumnType::Complex)
            throw Unsupported("column " + c.name + " holds several values; changing it is not supported");
    }
}

void RowUpdater::update(RowId id, const std::vector<std::pair<std::size_t, Value>>& values) {
    const Format& f = w_.format();
    halfway_ = false;
    inBatch_ = w_.pending() != 0;
    check(values);
    const std::string where = "row " + std::to_string(id.row) + " on page " + std::to_string(id.page);

    // Find where the row lives now: its own slot, or where that slot points.
    ByteView home = w_.peek(id.page);
    if (home.u8(0) != page_type::Data || home.u32(f.dataTdefPage) != def_.page ||
        id.row >= dataPageRowCount(f, home))
        throw Error("the table has no " + where);
    RowSlot homeSlot = dataPageRow(f, home, id.row);
    if (homeSlot.deleted()) throw Error("the table has no " + where + " (it was deleted)");
    const std::size_t homeLength = homeSlot.fits ? homeSlot.end - homeSlot.start : 0;
    std::uint32_t current = id.page;
    unsigned currentRow = id.row;
    RowSlot slot = homeSlot;
    Bytes old(dataPageRowBytes(f, home, id.row).data(),
              dataPageRowBytes(f, home, id.row).data() + homeLength);
    for (int hops = 0; slot.flags & row_slot::Overflow; ++hops) {
        if (old.size() < kPointerSize || hops >= TableScan::MaxMoves)
            corrupt(where + " has a damaged pointer to where it moved");
        RowPointer to = RowPointer::fromU32(ByteView(old.data(), old.size()).u32(0));
        ByteView target = w_.peek(to.page);
        if (target.u8(0) != page_type::Data || target.u32(f.dataTdefPage) != def_.page ||
            to.row >= dataPageRowCount(f, target))
            corrupt(where + " points into page " + std::to_string(to.page) +
                    ", which is not one of its table's");
        slot = dataPageRow(f, target, to.row);
        ByteView bytes = dataPageRowBytes(f, target, to.row);
        old.assign(bytes.data(), bytes.data() + bytes.size());
        current = to.page;
        currentRow = to.row;
    }

    // The row encoded again with the new values; nothing has changed yet if this throws.
    splitRow(f, def_, ByteView(old.data(), old.size()), fields_, offsets_);
    std::vector<FieldValue> encoded(out_.columns.size());
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        std::size_t j = i;
        if (&out_ != &def_) {
            // The same column (by number) in the layout the row is written in.
            for (j = 0; j < out_.columns.size() && out_.columns[j].number != def_.columns[i].number; ++j) {
            }
            if (j == out_.columns.size()) continue;
        }
        encoded[j].null = fields_[i].null;
        encoded[j].bit = fields_[i].bit;
        encoded[j].bytes.assign(fields_[i].bytes.data(), fields_[i].bytes.data() + fields_[i].bytes.size());
    }
    for (const auto& [at, v] : values) {
        const Column& c = def_.columns[at];
        try {
            if (isLongValue(c.type)) {
                encoded[at] = encodeShortLongValue(f, c, v);
            } else {
                encoded[at] = encodeField(c, v, nullptr);
            }
        } catch (const Unsupported&) {
            throw;
        } catch (const Error& e) {
            throw Error("column " + c.name + ": " + e.what());
        }
    }
    const Bytes row = encodeRow(f, out_, encoded);
    const ByteView rowView(row.data(), row.size());
    // Values the row already holds: nothing to write. (The same statement often reaches a row again
    // when several rows share the value it looks for.)
    if (row == old) return;

    // Where it is, when its page can take it.
    if (rewriteDataPageRow(f, w_.edit(current), currentRow, rowView, slot.flags)) {
        noteRoom(current);
        return;
    }

    // Elsewhere: the home slot must be able to hold a pointer first.
    if (homeLength < kPointerSize && dataPageFreeSpace(f, w_.peek(id.page)) < kPointerSize - homeLength)
        throw Error(where + " cannot grow: its page has no room left even for a pointer to a new place");
    std::uint32_t target = 0;
    bool fresh = false;
    for (int attempt = 0;; ++attempt) {
        target = chooseTarget(row.size(), id.page, current);
        fresh = target == 0;
        if (fresh) target = w_.pageCount();
        std::vector<PageWriter::Order> orders{{id.page, target}};
        if (fresh) {
            std::uint32_t owned = maps_.pageChangedFor(def_.ownedPages, target);
            std::uint32_t global = maps_.pageChangedFor(UsageMapEditor::Global, target);
            orders.insert(orders.end(),
                          {{owned, target}, {global, target}, {id.page, owned}, {id.page, global}});
        }
        // Stages: 0 new copy, 1 maps, 2 pointer, 3 release of the earlier copy.
        if (current != id.page) orders.push_back({current, id.page, kReleaseStage});
        if (w_.tryOrder(orders)) break;
        if (attempt > 0) throw Error("internal error: the pages of a moved row cannot be ordered");
        w_.commit();
    }
    halfway_ = true;
    if (fresh) {
        if (w_.append() != target) throw Error("internal error: a new page is not where it was expected");
        Bytes& page = w_.edit(target);
        page = DataPageWriter(f, def_.page).bytes();
    }
    Bytes& targetPage = w_.edit(target);
    const unsigned targetRow = dataPageRowCount(f, ByteView(targetPage.data(), targetPage.size()));
    if (!rewriteDataPageRow(f, targetPage, targetRow, rowView, row_slot::Deleted))
        throw Error("internal error: a moved row does not fit the page chosen for it");
    if (fresh) {
        maps_.addOwned(def_.ownedPages, target);
        maps_.markUsed(target);
    }
    Bytes pointer(kPointerSize, 0);
    putU32(pointer, 0, rowPointerValue(target, static_cast<std::uint8_t>(targetRow)));
    if (!rewriteDataPageRow(f, w_.edit(id.page), id.row, ByteView(pointer.data(), pointer.size()),
                            row_slot::Overflow))
        throw Error("internal error: " + where + " has no room for its pointer");
    if (current != id.page) {
        // The earlier copy is reached by nothing now; its room goes back to its page. It is marked
        // as Access marks a deleted row (both flags): some readers take a row flagged only
        // "deleted" for a moved row's data and read it.
        rewriteDataPageRow(f, w_.edit(current), currentRow, ByteView(),
                           static_cast<std::uint16_t>(row_slot::Deleted | row_slot::Overflow));
        noteRoom(current);
    }
    noteRoom(id.page);
    noteRoom(target);
    ++moves_;
    halfway_ = false;
}

std::uint32_t RowUpdater::chooseTarget(std::size_t size, std::uint32_t home, std::uint32_t current) {
    const Format& f = w_.format();
    for (auto it = room_.begin(); it != room_.end();) {
        std::uint32_t page = it->first;
        // Within a batch only pages new in it take moved rows: any other page may hold rows that
        // move later, or copies to release, and would then have to be written both before and
        // after others, forcing the batch out early. Other pages take them in the next batch.
        bool later = inBatch_ && !w_.appended(page);
        if (page == home || page == current || it->second < size + 2 || later) {
            ++it;
            continue;
        }
        ByteView v = w_.peek(page);
        if (v.u8(0) == page_type::Data && v.u32(f.dataTdefPage) == def_.page && dataPageTakes(f, v, size))
            return page;
        it = room_.erase(it);
    }
    return 0;
}

void RowUpdater::noteRoom(std::uint32_t page) {
    const Format& f = w_.format();
    ByteView v = w_.peek(page);
    std::size_t free = v.u16(2);
    if (free < kUsefulRoom || dataPageRowCount(f, v) >= data_page::MaxRows) {
        room_.erase(page);
        return;
    }
    room_[page] = free;
    if (room_.size() > kRoomHints) {
        auto least = room_.begin();
        for (auto it = room_.begin(); it != room_.end(); ++it)
            if (it->second < least->second) least = it;
        room_.erase(least);
    }
}

} // namespace jet
