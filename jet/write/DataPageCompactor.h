#pragma once
// Rewriting rows of a data page. Jet packs a page's rows from the end of the page in slot order (a
// row ends where the row before it starts), so a row that grows or shrinks moves every row after
// it. A DataPageDraft holds a page's rows as separate images instead: a row is set in time
// proportional to its own bytes, the room left is known at once, and the page's bytes are laid out
// once, packed as Access packs them (room given up by rows gathered into one free area), when they
// are needed. Every row keeps its slot number and flags; only offsets change, all within the page.

#include <cstdint>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/base/Bytes.h"
#include "jet/file/PageWriter.h"
#include "jet/format/Format.h"

namespace jet {

class DataPageDraft final : public PageDraft {
public:
    // The rows of `page`, a data page that must outlive the draft (a page of the write set: see
    // PageWriter::keepDraft); the draft lays its rows out into it when the rows set since the last
    // layout come to a page's worth. Throws Corrupt when a live row's bounds do not fit its page.
    DataPageDraft(const Format& f, Bytes& page);

    unsigned rowCount() const { return static_cast<unsigned>(slots_.size()); }
    std::uint16_t flags(unsigned slot) const { return slots_.at(slot).flags; }
    // The bytes of a row (empty for a deleted row whose bounds made no sense), valid until the next
    // set() or layOut().
    ByteView row(unsigned slot) const;
    // Bytes free between the row offset table and the rows, once laid out.
    std::size_t freeSpace() const;
    // Whether a row of `size` bytes could be added (its bytes and its offset-table entry).
    bool takes(std::size_t size) const;
    // Puts `row` with `flags` into slot `slot` (slot == rowCount() adds a row). Returns false,
    // changing nothing, when the rows would not fit or the page holds the most rows a page may.
    bool set(unsigned slot, ByteView row, std::uint16_t flags);

    // The page's bytes: its header holds, its rows are as last laid out.
    const Bytes& page() const { return page_; }
    // Packs the rows into `page` (the page the draft was made of) from its end in slot order; rows
    // set since are read from it again.
    void layOut(Bytes& page) override;

private:
    struct Slot {
        std::uint16_t at = 0;     // where the row's bytes start: in the page, or in changed_
        std::uint16_t length = 0; // its bytes
        std::uint16_t flags = 0;
        bool changed = false; // set since the last layout: its bytes are in changed_
    };
    std::size_t tableEnd(std::size_t rows) const;

    std::size_t offsetTable_; // where the row offset table starts
    Bytes& page_;             // rows not set since the last layout are read from here
    std::vector<Slot> slots_;
    Bytes changed_;         // the bytes of rows set since the last layout, one after another (at most a page)
    std::size_t used_ = 0;  // the rows' bytes in all
};

// Puts `row` with `flags` into slot `slot` of `page` (slot == the page's row count adds a row).
// Returns false, leaving the page as it was, when the rows would not fit or the page holds the
// most rows a page may.
bool rewriteDataPageRow(const Format& f, Bytes& page, unsigned slot, ByteView row, std::uint16_t flags);

// Bytes free between the row offset table and the rows (as the page would be laid out).
std::size_t dataPageFreeSpace(const Format& f, ByteView page);

// Whether a row of `size` bytes could be added to the page (its bytes and its offset-table entry).
bool dataPageTakes(const Format& f, ByteView page, std::size_t size);

} // namespace jet
