#pragma once
// Changing a row of a table. The row is read where it lives now, the values set, and the row
// encoded again. It stays on its page when the page can take it, the page's rows packed again;
// otherwise its new copy goes to a page of the table with room, or a new page, marked so that scans
// pass it by, and the row's original slot becomes a pointer to it (Access's own scheme). A row
// therefore keeps its id, and the indexes that point at it stay right. The pages are written in
// the order that keeps every state of the file readable: the new copy, then the usage maps, then
// the pointer, then the release of an earlier copy.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/encode/RowEncoder.h"
#include "jet/file/PageWriter.h"
#include "jet/read/TableDef.h"
#include "jet/read/TableScan.h"
#include "jet/read/Value.h"
#include "jet/write/DataPageCompactor.h"
#include "jet/write/HeldRows.h"
#include "jet/write/RowChanges.h"
#include "jet/write/UsageMapEditor.h"

namespace jet {

// What a row must hold to be changed: a test of its current value in one column (a position in
// the table's columns). A statement that found its rows through an index of hashes tests each one
// here, where the row is read anyway.
struct RowCondition {
    std::size_t column = 0;
    std::function<bool(const Value&)> holds;
    // When set, the test is that the column holds exactly this text (a Null never does).
    const std::string* text = nullptr;
    // The row is known to pass: with `text` set, it may be changed without being read now, and a row
    // that fails when it is read at last is left as it was.
    bool known = false;
};

// The values a statement sets, in each row it changes: encoded once, for the first row that needs
// them (a value too long for its column is told then, and not for a row that fails the statement's
// test before). One statement's at a time: the encoded values lie in the updater's room, which the
// next statement's take.
struct SetValues {
    explicit SetValues(const std::vector<std::pair<std::size_t, Value>>& v) : values(v) {}
    const std::vector<std::pair<std::size_t, Value>>& values;
    const std::vector<std::pair<std::size_t, FieldValue>>* encoded = nullptr; // set by RowUpdater
    bool checked = false; // the columns may be set (RowUpdater)
};

class RowUpdater {
public:
    // With `writeAs`, rows read by `def` are written in that layout instead (a definition with
    // the same columns and more; rows are only rewritten then, no values set).
    RowUpdater(PageWriter& writer, const TableDef& def, const TableDef* writeAs = nullptr);

    // Sets columns (positions in def.columns) of the row with id `id`. Throws Error, with nothing
    // changed, when a value does not fit its column, the row would be longer than a row may be,
    // a column is part of an index, or there is no such row. With `only`, a row that fails it is
    // left as it is, and false returned; otherwise true (also when the row held the values already).
    bool update(RowId id, const std::vector<std::pair<std::size_t, Value>>& values,
                const RowCondition* only = nullptr);
    // The same for one of several rows a statement changes, `values` shared by them.
    bool update(RowId id, SetValues& values, const RowCondition* only);
    // Rows changed without being read (a known text condition, see RowCondition), for tests.
    std::uint64_t unread() const { return unread_; }
    // No row of the table is longer than `bytes` now (a scan of every row found so): a row may then
    // be changed unread while it cannot grow past a page with its values, whatever its columns.
    void knowLongestRow(std::size_t bytes);

    // From here on a row's new image is held (HeldRows) instead of laid into its page at once, while
    // the file has room for every held row to need a page of its own: a statement that would take
    // the file past its largest size is still the one told so. When the images come to `bytes`, the
    // pages holding the most rows are placed, the write set written whenever `pendingPages` pages
    // wait in it. With 0 bytes, every update is placed at once.
    void holdRows(std::size_t bytes, std::size_t pendingPages);
    // Lays every held row into its page, in page order; they join the write set.
    void placeHeld();
    std::size_t heldRows() const { return held_.rows(); }

    // Whether the last update or placement failed after it had begun changing pages, or while it
    // placed held rows: its write set, and the rows still held, must go.
    bool halfway() const { return halfway_; }

    // Rows moved to another page by this updater (for tests and benchmarks).
    std::uint64_t moves() const { return moves_; }

private:
    // Where a row lives: its home slot (its id), and the slot holding its bytes now (the home
    // slot, or where the home slot's pointer leads).
    struct Location {
        RowId home;
        std::size_t homeLength = 0;
        std::uint32_t page = 0;
        unsigned row = 0;
        std::uint16_t flags = 0;
        Bytes bytes;
        bool moved() const { return page != home.page; }
    };
    // A new place for a row that its page cannot take.
    struct Move {
        std::uint32_t target = 0;
        bool fresh = false; // a page appended for it
    };

    void check(const std::vector<std::pair<std::size_t, Value>>& values) const;
    // Finds row `id` into `at`, whose buffer serves again.
    void locate(RowId id, Location& at);
    // Reads slot `row` of `page` into `at` (page, row, flags, bytes); false when the page is not one
    // of the table's data pages or has no such slot.
    bool read(std::uint32_t page, unsigned row, Location& at);
    // The pages this session changes are held as drafts (DataPageDraft) while they wait in the
    // write set: rows are set there and the page laid out once, when it is read or written.
    DataPageDraft* draftIfAny(std::uint32_t page) const;
    DataPageDraft& draftOf(std::uint32_t page);
    bool setRow(std::uint32_t page, unsigned row, ByteView bytes, std::uint16_t flags);
    std::size_t freeSpace(std::uint32_t page);
    // Splits the row `at` holds into fields_.
    void split(const Location& at);
    bool meets(const RowCondition& only);
    // The row with the values set, from the fields split().
    Bytes encode(const Location& at, SetValues& values);
    // The values as stored (encoded once; see SetValues).
    const std::vector<std::pair<std::size_t, FieldValue>>& encoded(RowId id, SetValues& values) const;
    // Column `i`'s value as stored; throws as update() does for a value that does not fit.
    void encodeValue(RowId id, std::size_t i, const Value& v, FieldValue& out) const;
    // The fields split() made, as values to encode again.
    void takeFields();
    // The row `at` with `changes` (what RowChanges::add made) made, those whose tests pass.
    // The row lies in row_ until the next call.
    ByteView withChanges(const Location& at, ByteView changes);
    bool mayHold(const Location& at) const;
    // Whether a row passing `only` may be changed without being read now, and (fitsUnread) with the
    // values it holds already, `held` bytes of changes, and those given, `adding` bytes.
    bool mayChangeUnread(const RowCondition* only) const;
    bool fitsUnread(std::size_t held, std::size_t adding) const;
    // Records that a row of `bytes` was laid into a page.
    void laid(std::size_t bytes);
    bool roomToHold() const;
    void placeHeld(std::uint32_t page);
    // Places held rows, the pages holding the most first, until they take seven eighths of the room.
    void placeSome();
    void place(const Location& at, ByteView row);
    bool placeWhereItIs(const Location& at, ByteView row);
    Move chooseMove(const Location& at, std::size_t size);
    // The orders the pages of a move must reach the disk in (into orders_, kept for its room).
    const std::vector<PageWriter::Order>& orders(const Location& at, const Move& move);
    void placeElsewhere(const Location& at, const Move& move, ByteView row);
    std::uint32_t chooseTarget(std::size_t size, std::uint32_t home, std::uint32_t current);
    void noteRoom(std::uint32_t page);

    PageWriter& w_;
    const TableDef& def_;
    const TableDef& out_;
    UsageMapEditor maps_;
    std::vector<bool> indexed_;                 // by column number
    std::vector<int> outColumn_;                // position in out_ of each column of def_, or -1
    std::map<std::uint32_t, std::size_t> room_; // table pages known to have room, and how much
    std::vector<FieldBytes> fields_;
    std::vector<std::size_t> offsets_;
    std::vector<FieldValue> encoded_;
    std::vector<PageWriter::Order> orders_;
    mutable std::vector<std::pair<std::size_t, FieldValue>> setFields_; // see SetValues
    Value tested_; // the value a condition tests, kept for its room
    // Rows of out_ never outgrow a page: a row changed unread cannot prove too long when it is read.
    bool rowsFit_ = false;
    // Otherwise, the longest row of the table since a scan read every one, while it is known, and
    // what a row takes beside its values (rowFrameSize).
    std::size_t rowFrame_ = 0;
    std::optional<std::size_t> longest_;
    std::uint64_t unread_ = 0;
    Bytes changes_; // a row's changes while they are added to
    Location placing_; // the held row being placed
    Bytes row_;        // the row withChanges() made
    Bytes pointer_;    // a moved row's pointer, made in placeElsewhere()
    HeldRows held_;
    std::size_t holdLimit_ = 0;
    std::size_t pageLimit_ = 0;
    std::uint64_t moves_ = 0;
    bool halfway_ = false;
    bool inBatch_ = false; // earlier updates wait in the write set
};

} // namespace jet
