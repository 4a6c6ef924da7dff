#include "jet/write/RowUpdater.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <typeinfo>
#include <string>

#include "jet/base/Error.h"
#include "jet/encode/DataPageWriter.h"
#include "jet/encode/FieldEncoder.h"
#include "jet/encode/LongValueWriter.h"
#include "jet/encode/RowEncoder.h"
#include "jet/format/CodePage.h"
#include "jet/format/Format.h"
#include "jet/write/DataPageCompactor.h"

namespace jet {

namespace {

// Pages with less room than this are not worth remembering as homes for moved rows.
constexpr std::size_t kUsefulRoom = 64;
constexpr std::size_t kRoomHints = 512;
constexpr std::size_t kPointerSize = 4;
constexpr int kReleaseStage = 3;
// Pages the usage maps may take when held rows are placed (new bitmap pages for a file grown far).
constexpr std::uint64_t kMapHeadroomPages = 64;

// Long-value pages are not written by updates yet: a value that would need one never gets a
// page number from here.
class NoPages : public PageSink {
public:
    void writePage(std::uint32_t, const Bytes&) override { throw Unsupported("no pages"); }
};

// A Memo or OLE value short enough to live in the row itself (as Access keeps short values).
FieldValue encodeShortLongValue(const Format& f, unsigned codePage, const Column& c, const Value& v) {
    NoPages sink;
    PageAllocator alloc(0, ~std::uint64_t{0});
    LongValueWriter values(f, alloc, sink);
    FieldValue out = encodeField(f, codePage, c, v, &values, true);
    if (!values.pages().empty())
        throw Unsupported("column " + c.name + ": " + columnTypeName(c.type) + " values longer than " +
                          std::to_string(long_value_limits::MaxInline) + " bytes cannot be written yet");
    return out;
}

std::string describe(RowId id) {
    return "row " + std::to_string(id.row) + " on page " + std::to_string(id.page);
}

} // namespace

RowUpdater::RowUpdater(PageWriter& writer, const TableDef& def, const TableDef* writeAs)
    : w_(writer), def_(def), out_(writeAs ? *writeAs : def), maps_(writer),
      rowsFit_(&out_ == &def_ && largestRowSize(writer.format(), def) <= maxRowSize(writer.format())),
      rowFrame_(rowFrameSize(writer.format(), def)) {
    for (const auto& ri : def.realIndexes)
        for (const auto& ic : ri.columns) {
            if (ic.columnNumber >= indexed_.size()) indexed_.resize(ic.columnNumber + 1u, false);
            indexed_[ic.columnNumber] = true;
        }
    // The same column (by number) in the layout rows are written in.
    for (const Column& c : def_.columns) {
        int at = -1;
        for (std::size_t j = 0; j < out_.columns.size(); ++j)
            if (out_.columns[j].number == c.number) at = static_cast<int>(j);
        outColumn_.push_back(at);
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
        if (!isKnownColumnType(c.type))
            throw Unsupported("column " + c.name + " is of a type this engine does not know (" +
                              std::to_string(static_cast<unsigned>(c.type)) + "); its values cannot be set");
        if (c.type == ColumnType::Complex)
            throw Unsupported("column " + c.name + " holds several values; changing it is not supported");
    }
}

bool RowUpdater::update(RowId id, const std::vector<std::pair<std::size_t, Value>>& values,
                        const RowCondition* only) {
    SetValues set(values);
    return update(id, set, only);
}

bool RowUpdater::update(RowId id, SetValues& values, const RowCondition* only) {
    halfway_ = false;
    if (!values.checked) check(values.values);
    values.checked = true;
    const std::optional<HeldRows::Held> held = holdLimit_ ? held_.find(id) : std::nullopt;
    if ((!held || held->changes) && mayChangeUnread(only)) {
        // Values that do not fit their columns are told now, by this statement.
        const std::vector<std::pair<std::size_t, FieldValue>>& fields = encoded(id, values);
        std::size_t adding = 0;
        for (const auto& f : fields)
            adding += f.second.bytes.size();
        if (fitsUnread(held ? held->bytes.size() : 0, adding)) {
            changes_.clear();
            if (held) changes_.assign(held->bytes.data(), held->bytes.data() + held->bytes.size());
            RowChanges::add(changes_, only->column, *only->text, fields);
            held_.hold(id, ByteView(changes_.data(), changes_.size()), true);
            ++unread_;
            if (held_.bytes() > holdLimit_) placeSome();
            return true;
        }
    }
    Location at;
    if (held && held->changes) {
        // The row as its waiting changes leave it.
        locate(id, at);
        const ByteView now = withChanges(at, held->bytes);
        at.bytes.assign(now.data(), now.data() + now.size());
    } else if (held) {
        // A held row is as its image says; where it lies is looked up when it is placed.
        at.home = id;
        at.page = id.page;
        at.row = id.row;
        at.bytes.assign(held->bytes.data(), held->bytes.data() + held->bytes.size());
    } else {
        locate(id, at);
    }
    split(at);
    if (only && !meets(*only)) return false;
    // Nothing has changed yet if encoding throws.
    const Bytes row = encode(at, values);
    // Values the row already holds: nothing to write. (The same statement often reaches a row again
    // when several rows share the value it looks for.)
    if (row == at.bytes) return true;
    if (held || mayHold(at)) {
        held_.hold(id, ByteView(row.data(), row.size()));
        if (held_.bytes() > holdLimit_) placeSome();
        return true;
    }
    place(at, ByteView(row.data(), row.size()));
    return true;
}

void RowUpdater::holdRows(std::size_t bytes, std::size_t pendingPages) {
    holdLimit_ = bytes;
    pageLimit_ = pendingPages;
    if (bytes == 0) placeHeld();
}

bool RowUpdater::mayHold(const Location& at) const {
    // A row too short for a pointer may find no room to move; that is told by its own statement.
    return holdLimit_ != 0 && at.homeLength >= kPointerSize && roomToHold();
}

bool RowUpdater::roomToHold() const {
    const Format& f = w_.format();
    const std::uint64_t pages = std::uint64_t{w_.pageCount()} + held_.rows() + 1 + kMapHeadroomPages;
    return pages * f.pageSize <= maxFileSize(f);
}

bool RowUpdater::mayChangeUnread(const RowCondition* only) const {
    // What a statement must tell of a row it changes is known without it: its values fit their
    // columns (encoded now), the row cannot outgrow a page (fitsUnread), and its home slot can take
    // a pointer when it must move: a row holding text (a column of variable length) takes more than
    // a pointer's four bytes in every format (column count, offsets, null mask).
    if (holdLimit_ == 0 || &out_ != &def_ || !(rowsFit_ || longest_)) return false;
    if (!only || !only->known || !only->text) return false;
    if (only->column >= def_.columns.size() || def_.columns[only->column].type != ColumnType::Text) return false;
    return roomToHold();
}

bool RowUpdater::fitsUnread(std::size_t held, std::size_t adding) const {
    if (rowsFit_) return true;
    // The row encoded again holds its frame, the bytes of its values it keeps (no more than the row
    // has now, at most the longest), and the values set: the held ones are fewer than their bytes.
    return longest_ && rowFrame_ + *longest_ + held + adding <= maxRowSize(w_.format());
}

void RowUpdater::knowLongestRow(std::size_t bytes) {
    longest_ = bytes;
}

void RowUpdater::laid(std::size_t bytes) {
    if (longest_ && bytes > *longest_) longest_ = bytes;
}

void RowUpdater::placeHeld() {
    for (std::uint32_t page : held_.pages())
        placeHeld(page);
}

void RowUpdater::placeSome() {
    // An eighth of the room at a time: the pages left hold fewer rows and may gain more before they
    // are placed, where placing down to half placed many of them again and again.
    HeldRows::ByRows pages = held_.pagesByRows();
    while (held_.bytes() > holdLimit_ / 8 * 7) {
        const std::optional<std::uint32_t> page = pages.next();
        if (!page) break;
        placeHeld(*page);
    }
}

void RowUpdater::placeHeld(std::uint32_t page) {
    // The rows stay held until every one is placed: a failure on the way drops them with the
    // write set, whose pages may hold some of them already.
    for (const HeldRows::Held& held : held_.of(page)) {
        halfway_ = true;
        Location& at = placing_;
        locate({page, static_cast<std::uint8_t>(held.row)}, at);
        if (held.changes) {
            const ByteView row = withChanges(at, held.bytes);
            if (!std::equal(row.data(), row.data() + row.size(), at.bytes.begin(), at.bytes.end())) place(at, row);
        } else if (!std::equal(at.bytes.begin(), at.bytes.end(), held.bytes.data(),
                               held.bytes.data() + held.bytes.size())) {
            place(at, held.bytes);
        }
    }
    held_.drop(page);
    halfway_ = false;
    // Many pages may be placed in a row: they wait no more than updates placed one by one would.
    if (pageLimit_ != 0 && w_.pending() >= pageLimit_) w_.commit();
}

void RowUpdater::place(const Location& at, ByteView row) {
    inBatch_ = w_.pending() != 0;
    if (placeWhereItIs(at, row)) return;
    const Move move = chooseMove(at, row.size());
    placeElsewhere(at, move, row);
}

void RowUpdater::split(const Location& at) {
    splitRow(w_.format(), def_, ByteView(at.bytes.data(), at.bytes.size()), fields_, offsets_);
}

bool RowUpdater::meets(const RowCondition& only) {
    if (only.column >= def_.columns.size())
        throw Error("the table has no column " + std::to_string(only.column + 1));
    decodeValue(w_.pager(), def_.columns[only.column], fields_[only.column], def_.codePage, tested_);
    return only.holds(tested_);
}

void RowUpdater::locate(RowId id, Location& at) {
    at.home = id;
    at.homeLength = 0;
    if (!read(id.page, id.row, at)) throw Error("the table has no " + describe(id));
    if (at.flags & row_slot::Deleted) throw Error("the table has no " + describe(id) + " (it was deleted)");
    at.homeLength = at.bytes.size();
    // Where the home slot's pointer leads, and on, while the slot there is a pointer too.
    for (int hops = 0; at.flags & row_slot::Overflow; ++hops) {
        if (at.bytes.size() < kPointerSize || hops >= TableScan::MaxMoves)
            corrupt(describe(id) + " has a damaged pointer to where it moved");
        RowPointer to = RowPointer::fromU32(ByteView(at.bytes.data(), at.bytes.size()).u32(0));
        if (!read(to.page, to.row, at))
            corrupt(describe(id) + " points into page " + std::to_string(to.page) +
                    ", which is not one of its table's");
    }
}

bool RowUpdater::read(std::uint32_t page, unsigned row, Location& at) {
    const Format& f = w_.format();
    auto ours = [&](ByteView v) { return v.u8(0) == page_type::Data && v.u32(f.dataTdefPage) == def_.page; };
    ByteView bytes;
    std::optional<PeekedPage> peeked; // holds the page `bytes` shows
    if (DataPageDraft* draft = draftIfAny(page)) {
        if (!ours(ByteView(draft->page().data(), draft->page().size())) || row >= draft->rowCount()) return false;
        at.flags = draft->flags(row);
        bytes = draft->row(row);
    } else {
        peeked.emplace(w_.peek(page));
        ByteView v = peeked->view();
        if (!ours(v) || row >= dataPageRowCount(f, v)) return false;
        const RowSlot slot = dataPageRow(f, v, row);
        at.flags = slot.flags;
        // A deleted row's bounds are not trusted: it has no bytes when they make no sense.
        if (slot.fits || !slot.deleted()) bytes = dataPageRowBytes(f, v, row);
    }
    at.bytes.assign(bytes.data(), bytes.data() + bytes.size());
    at.page = page;
    at.row = row;
    return true;
}

DataPageDraft* RowUpdater::draftIfAny(std::uint32_t page) const {
    PageDraft* d = w_.draft(page);
    if (!d) return nullptr;
    // The class is final: its type is told without a search of the hierarchy (a lookup for every row).
    if (typeid(*d) == typeid(DataPageDraft)) return static_cast<DataPageDraft*>(d);
    throw Error("internal error: page " + std::to_string(page) + " is held as something other than rows");
}

DataPageDraft& RowUpdater::draftOf(std::uint32_t page) {
    if (DataPageDraft* d = draftIfAny(page)) return *d;
    const Format& f = w_.format();
    return static_cast<DataPageDraft&>(
        w_.keepDraft(page, [&](Bytes& bytes) { return std::make_unique<DataPageDraft>(f, bytes); }));
}

bool RowUpdater::setRow(std::uint32_t page, unsigned row, ByteView bytes, std::uint16_t flags) {
    if (!draftOf(page).set(row, bytes, flags)) return false;
    w_.drafted(page);
    return true;
}

std::size_t RowUpdater::freeSpace(std::uint32_t page) {
    if (const DataPageDraft* d = draftIfAny(page)) return d->freeSpace();
    const PeekedPage p = w_.peek(page);
    return dataPageFreeSpace(w_.format(), p.view());
}

namespace {

// A field's value into `to`, whose buffer serves again.
void setField(FieldValue& to, const FieldBytes& from) {
    to.null = from.null;
    to.bit = from.bit;
    to.bytes.assign(from.bytes.data(), from.bytes.data() + from.bytes.size());
}

} // namespace

void RowUpdater::takeFields() {
    // The fields are emptied rather than made anew, so that their buffers serve the next row.
    encoded_.resize(out_.columns.size());
    for (FieldValue& e : encoded_) {
        e.null = true;
        e.bit = false;
        e.bytes.clear();
    }
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        if (outColumn_[i] < 0) continue;
        setField(encoded_[static_cast<std::size_t>(outColumn_[i])], fields_[i]);
    }
}

void RowUpdater::encodeValue(RowId id, std::size_t i, const Value& v, FieldValue& out) const {
    const Format& f = w_.format();
    const Column& c = def_.columns[i];
    try {
        if (isLongValue(c.type))
            out = encodeShortLongValue(f, def_.codePage, c, v);
        else
            encodeField(f, def_.codePage, c, v, nullptr, true, out);
    } catch (const Unsupported&) {
        throw;
    } catch (const Unencodable& e) {
        throw Unencodable(describe(id) + ", column " + c.name + ": " + e.what(), e.character());
    } catch (const Error& e) {
        throw Error("column " + c.name + ": " + e.what());
    }
}

const std::vector<std::pair<std::size_t, FieldValue>>& RowUpdater::encoded(RowId id, SetValues& values) const {
    if (!values.encoded) {
        // A value that does not fit throws before the values count as encoded.
        // The values' buffers serve the next statement's.
        setFields_.resize(values.values.size());
        for (std::size_t k = 0; k < values.values.size(); ++k) {
            const auto& [i, v] = values.values[k];
            setFields_[k].first = i;
            encodeValue(id, i, v, setFields_[k].second);
        }
        values.encoded = &setFields_;
    }
    return *values.encoded;
}

Bytes RowUpdater::encode(const Location& at, SetValues& values) {
    const std::vector<std::pair<std::size_t, FieldValue>>& fields = encoded(at.home, values);
    takeFields();
    for (const auto& [i, v] : fields)
        setField(encoded_[i], FieldBytes{v.null, v.bit, ByteView(v.bytes.data(), v.bytes.size())});
    return encodeRow(w_.format(), out_, encoded_);
}

ByteView RowUpdater::withChanges(const Location& at, ByteView changes) {
    split(at);
    takeFields();
    RowChanges::Reader steps(changes);
    std::size_t column = 0;
    ByteView text;
    while (steps.nextStep(column, text)) {
        if (column >= def_.columns.size())
            throw Error("internal error: changes held for " + describe(at.home) + " test a column the table lacks");
        const FieldValue& tested = encoded_[column];
        const FieldBytes field{tested.null, tested.bit, ByteView(tested.bytes.data(), tested.bytes.size())};
        decodeValue(w_.pager(), def_.columns[column], field, def_.codePage, tested_);
        if (tested_.kind != Value::Kind::Text || !text.holds(tested_.text)) continue;
        std::size_t set = 0;
        FieldBytes value;
        while (steps.nextValue(set, value))
            setField(encoded_.at(set), value);
    }
    encodeRow(w_.format(), out_, encoded_, row_);
    return ByteView(row_.data(), row_.size());
}

bool RowUpdater::placeWhereItIs(const Location& at, ByteView row) {
    if (!setRow(at.page, at.row, row, at.flags)) return false;
    laid(row.size());
    noteRoom(at.page);
    return true;
}

RowUpdater::Move RowUpdater::chooseMove(const Location& at, std::size_t size) {
    // The home slot must be able to hold a pointer first.
    if (at.homeLength < kPointerSize && freeSpace(at.home.page) < kPointerSize - at.homeLength)
        throw Error(describe(at.home) +
                    " cannot grow: its page has no room left even for a pointer to a new place");
    for (int attempt = 0;; ++attempt) {
        Move move;
        move.target = chooseTarget(size, at.home.page, at.page);
        move.fresh = move.target == 0;
        if (move.fresh) move.target = w_.pageCount();
        if (w_.tryOrder(orders(at, move))) return move;
        // What the write set already promises contradicts this move: write it out first.
        if (attempt > 0) throw Error("internal error: the pages of a moved row cannot be ordered");
        w_.commit();
        inBatch_ = false;
    }
}

const std::vector<PageWriter::Order>& RowUpdater::orders(const Location& at, const Move& move) {
    // Stages: 0 the new copy, 1 the usage maps that list its page, 2 the pointer, 3 the release of
    // an earlier copy.
    const std::uint32_t home = at.home.page;
    std::vector<PageWriter::Order>& out = orders_;
    out.assign(1, {home, move.target});
    if (move.fresh) {
        // The page is not in the file yet: the maps that will list it follow it, the pointer follows
        // them.
        for (RowPointer map : {def_.ownedPages, UsageMapEditor::Global}) {
            const std::uint32_t changed = maps_.pageChangedFor(map, move.target);
            out.push_back({changed, move.target});
            out.push_back({home, changed});
        }
    } else if (w_.appended(move.target)) {
        // A page new in this batch, listed by map pages that wait in the write set: the pointer
        // waits for them too, or a reader finding the table's pages through its map would miss the
        // copy.
        for (RowPointer map : {def_.ownedPages, UsageMapEditor::Global})
            for (std::uint32_t listing : maps_.pagesListing(map, move.target))
                if (w_.holds(listing)) out.push_back({home, listing});
    }
    // An earlier copy on a page in the file is released once the pointer leads elsewhere; one on a
    // page new in this batch has never been in the file and goes with that page's first write.
    if (at.moved() && !w_.appended(at.page)) out.push_back({at.page, home, kReleaseStage});
    return out;
}

void RowUpdater::placeElsewhere(const Location& at, const Move& move, ByteView row) {
    const Format& f = w_.format();
    halfway_ = true;
    if (move.fresh) {
        if (w_.append() != move.target)
            throw Error("internal error: a new page is not where it was expected");
        w_.replace(move.target, DataPageWriter(f, def_.page).bytes());
    }
    const unsigned targetRow = draftOf(move.target).rowCount();
    if (!setRow(move.target, targetRow, row, row_slot::Deleted))
        throw Error("internal error: a moved row does not fit the page chosen for it");
    laid(row.size());
    if (move.fresh) {
        maps_.addOwned(def_.ownedPages, move.target);
        maps_.markUsed(move.target);
    }
    Bytes& pointer = pointer_;
    pointer.resize(kPointerSize);
    putU32(pointer, 0, rowPointerValue(move.target, static_cast<std::uint8_t>(targetRow)));
    if (!setRow(at.home.page, at.home.row, ByteView(pointer.data(), pointer.size()), row_slot::Overflow))
        throw Error("internal error: " + describe(at.home) + " has no room for its pointer");
    if (at.moved()) {
        // The earlier copy is reached by nothing now; its room goes back to its page. It is marked
        // as Access marks a deleted row (both flags): some readers take a row flagged only
        // "deleted" for a moved row's data and read it.
        setRow(at.page, at.row, ByteView(), static_cast<std::uint16_t>(row_slot::Deleted | row_slot::Overflow));
        noteRoom(at.page);
    }
    noteRoom(at.home.page);
    noteRoom(move.target);
    ++moves_;
    halfway_ = false;
}

std::uint32_t RowUpdater::chooseTarget(std::size_t size, std::uint32_t home, std::uint32_t current) {
    const Format& f = w_.format();
    // Within a batch the pages new in it come last: the others need not be looked at.
    for (auto it = inBatch_ ? room_.lower_bound(w_.firstAppended()) : room_.begin(); it != room_.end();) {
        std::uint32_t page = it->first;
        // Within a batch only pages new in it take moved rows: any other page may hold rows that
        // move later, or copies to release, and would then have to be written both before and
        // after others, forcing the batch out early. Other pages take them in the next batch.
        bool later = inBatch_ && !w_.appended(page);
        if (page == home || page == current || it->second < size + data_page::SlotSize || later) {
            ++it;
            continue;
        }
        if (const DataPageDraft* d = draftIfAny(page)) {
            if (d->takes(size)) return page;
        } else {
            PeekedPage p = w_.peek(page);
            ByteView v = p.view();
            if (v.u8(0) == page_type::Data && v.u32(f.dataTdefPage) == def_.page && dataPageTakes(f, v, size))
                return page;
        }
        it = room_.erase(it);
    }
    return 0;
}

void RowUpdater::noteRoom(std::uint32_t page) {
    // Only pages this updater has just changed are noted: their drafts know their room.
    const DataPageDraft& d = draftOf(page);
    const std::size_t free = d.freeSpace();
    if (free < kUsefulRoom || d.rowCount() >= data_page::MaxRows) {
        room_.erase(page);
        return;
    }
    room_[page] = free;
    if (room_.size() > kRoomHints) {
        // A page in the file takes no moved row while a batch lasts: such a page goes first.
        if (inBatch_ && !w_.appended(room_.begin()->first)) {
            room_.erase(room_.begin());
            return;
        }
        auto least = room_.begin();
        for (auto it = room_.begin(); it != room_.end(); ++it)
            if (it->second < least->second) least = it;
        room_.erase(least);
    }
}

} // namespace jet
