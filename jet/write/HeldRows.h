#pragma once
// Rows whose new bytes wait to be laid into their pages. A split sets the columns of a row one
// statement at a time, and the rows sharing a value at once, wherever they lie in the table: laying
// each change into its page at once moves a growing row again and again and makes every page of the
// table wait to be written, again after each write. Held, a row's image takes its own bytes only,
// and a page's held rows are laid out together, once, when the page is placed. A row changed without
// being read holds the changes instead of an image (RowChanges), to be read when its page is placed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <memory>
#include <utility>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/base/Bytes.h"
#include "jet/read/TableScan.h"

namespace jet {

class HeldRows {
public:
    struct Held {
        unsigned row = 0;
        ByteView bytes;
        bool changes = false; // the bytes are a RowChanges', not the row's image
    };
    // What is held for row `id`, if anything; valid until the next hold or drop.
    std::optional<Held> find(RowId id) const;
    // Holds `bytes` for row `id` (its image, or with `changes` what RowChanges made), in place of
    // what was held before. `bytes` must not lie among the held ones.
    void hold(RowId id, ByteView bytes, bool changes = false);

    bool empty() const { return rows_ == 0; }
    std::size_t rows() const { return rows_; }
    // The memory the images take, with what earlier images of the same rows left.
    std::size_t bytes() const { return bytes_; }

    // The pages with held rows as they are now, those holding the most first, taken one at a time:
    // the few taken before the room is enough cost no sort of them all.
    class ByRows {
    public:
        explicit ByRows(const HeldRows& held);
        std::optional<std::uint32_t> next();

    private:
        std::vector<std::pair<std::size_t, std::uint32_t>> heap_; // rows, page
    };
    ByRows pagesByRows() const { return ByRows(*this); }
    // Every page with held rows, in page order.
    std::vector<std::uint32_t> pages() const;
    // The held rows of `page`, in the order first held; valid until the next hold or drop.
    std::vector<Held> of(std::uint32_t page) const;
    // The rows of `page` are held no more.
    void drop(std::uint32_t page);
    void clear();

private:
    struct Image {
        std::uint8_t row;
        bool changes;
        std::uint32_t offset;
        std::uint32_t length;
    };
    struct Page {
        Bytes bytes; // the images, end to end
        std::vector<Image> images;
        std::size_t live = 0;                // bytes of the images held now
        std::array<std::uint64_t, 4> rows{}; // a bit for each slot held: most rows looked up are not
        bool holds(std::uint8_t row) const { return rows[row >> 6] >> (row & 63) & 1; }
        // Where the image of `row`, which must be held, is among `images`; the rows reached again
        // are the last ones held.
        std::size_t imageOf(std::uint8_t row) const;
    };
    static void compact(Page& p);
    // The held rows of `page`, or null.
    Page* pageOf(std::uint32_t page) const;
    // A page's bytes grow by a quarter, and by this at least.
    static constexpr std::size_t MinGrowth = 64;

    // By page number, null where none is held: found with no search. The rows of a value shared
    // across a large table lie on pages far apart, and a search through a map for each of them mostly
    // waited on memory.
    std::vector<std::unique_ptr<Page>> pages_;
    std::size_t rows_ = 0;
    std::size_t bytes_ = 0;
};

} // namespace jet
