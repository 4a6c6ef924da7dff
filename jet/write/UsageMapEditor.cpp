#include "jet/write/UsageMapEditor.h"

#include <algorithm>
#include <string>

#include "jet/base/Error.h"
#include "jet/format/UsageMapFormat.h"

namespace jet {

namespace {

struct MapRow {
    std::size_t start = 0, size = 0;
};

MapRow mapRowIn(const Format& f, ByteView page, RowPointer where) {
    RowSlot s = dataPageRow(f, page, where.row);
    if (!s.fits || s.end - s.start < usage_map::InlineBitmap)
        corrupt("usage map row " + std::to_string(where.row) + " on page " + std::to_string(where.page) +
                " is damaged");
    std::uint8_t kind = page.u8(s.start + usage_map::Kind);
    if (kind != usage_map::Inline && kind != usage_map::Reference)
        corrupt("usage map on page " + std::to_string(where.page) + " has unknown kind " +
                std::to_string(kind));
    return {s.start, s.end - s.start};
}

using usage_map::bitOf;
using usage_map::setBit;

// Where the map row starting at `start` keeps page `k` of its bitmap pages.
std::size_t referenceAt(std::size_t start, std::uint64_t k) {
    return start + usage_map::References + 4 * static_cast<std::size_t>(k);
}

} // namespace

std::uint32_t UsageMapEditor::pageChangedFor(RowPointer where, std::uint32_t page) {
    const Format& f = w_.format();
    PeekedPage held = w_.peek(where.page);
    ByteView p = held.view();
    MapRow r = mapRowIn(f, p, where);
    if (p.u8(r.start + usage_map::Kind) == usage_map::Inline) return where.page;
    std::uint64_t k = page / usage_map::pagesPerBitmapPage(f);
    if (k >= usage_map::referencePointers(r.size)) return where.page;
    std::uint32_t bitmap = p.u32(referenceAt(r.start, k));
    return bitmap ? bitmap : where.page;
}

UsageMapEditor::Listing UsageMapEditor::pagesListing(RowPointer where, std::uint32_t page) {
    const std::uint32_t bit = pageChangedFor(where, page);
    if (bit == where.page) return {{where.page, 0}, 1};
    return {{where.page, bit}, 2};
}

std::uint32_t UsageMapEditor::appendBitmapPage(bool global) {
    std::uint32_t n = w_.append();
    Bytes& b = w_.edit(n);
    b[0] = page_type::UsageBitmap;
    b[1] = usage_map::BitmapPageMark;
    // A new bitmap of the global map starts out saying what having no bitmap said: all free.
    if (global) std::fill(b.begin() + usage_map::BitmapPageBits, b.end(), std::uint8_t{0xFF});
    return n;
}

void UsageMapEditor::addOwned(RowPointer where, std::uint32_t page) {
    set(where, page, true, false);
}

void UsageMapEditor::set(RowPointer where, std::uint32_t page, bool bit, bool global) {
    const Format& f = w_.format();
    const bool outside = global; // what a page the map does not cover counts as
    for (;;) {
        Bytes& p = w_.edit(where.page);
        MapRow r = mapRowIn(f, ByteView(p.data(), p.size()), where);
        std::uint8_t* row = p.data() + r.start;
        if (row[usage_map::Kind] == usage_map::Inline) {
            std::uint8_t* const bitmap = row + usage_map::InlineBitmap;
            std::uint32_t start = ByteView(row, r.size).u32(usage_map::InlineStart);
            std::uint64_t bits = std::uint64_t{r.size - usage_map::InlineBitmap} * 8;
            if (page >= start && page - start < bits) {
                setBit(bitmap, page - start, bit);
                return;
            }
            if (bit == outside) return;
            if (!global) {
                // Move the window when every page, the new one with them, fits it.
                std::uint32_t lo = page, hi = page;
                for (std::uint64_t b = 0; b < bits; ++b)
                    if (bitOf(bitmap, b)) {
                        lo = std::min<std::uint32_t>(lo, static_cast<std::uint32_t>(start + b));
                        hi = std::max<std::uint32_t>(hi, static_cast<std::uint32_t>(start + b));
                    }
                std::uint32_t newStart = lo / 8 * 8;
                if (hi - newStart < bits) {
                    std::vector<std::uint32_t> owned;
                    for (std::uint64_t b = 0; b < bits; ++b)
                        if (bitOf(bitmap, b)) owned.push_back(static_cast<std::uint32_t>(start + b));
                    owned.push_back(page);
                    std::fill(bitmap, row + r.size, std::uint8_t{0});
                    putU32(p, r.start + usage_map::InlineStart, newStart);
                    for (std::uint32_t o : owned)
                        setBit(bitmap, o - newStart);
                    return;
                }
            }
            promote(where, global);
            continue;
        }
        const std::uint64_t per = usage_map::pagesPerBitmapPage(f);
        const std::uint64_t k = page / per;
        if (k >= usage_map::referencePointers(r.size))
            throw Error("the usage map on page " + std::to_string(where.page) + " cannot describe page " +
                        std::to_string(page));
        const std::size_t at = referenceAt(r.start, k);
        std::uint32_t bitmap = ByteView(p.data(), p.size()).u32(at);
        if (bitmap == 0) {
            if (bit == outside) return;
            bitmap = appendBitmapPage(global);
            Bytes& again = w_.edit(where.page); // the same page; the reference stays valid
            putU32(again, at, bitmap);
            if (!w_.tryOrder({{where.page, bitmap}}))
                throw Error("internal error: a usage map's new bitmap page cannot be ordered before its map");
            if (global)
                set(Global, bitmap, false, true);
            else
                markUsed(bitmap);
        }
        Bytes& b = w_.edit(bitmap);
        if (b[0] != page_type::UsageBitmap)
            corrupt("usage map points at page " + std::to_string(bitmap) + ", which is no bitmap page");
        setBit(b.data() + usage_map::BitmapPageBits, page - k * per, bit);
        return;
    }
}

void UsageMapEditor::promote(RowPointer where, bool global) {
    const Format& f = w_.format();
    const std::uint64_t per = usage_map::pagesPerBitmapPage(f);
    Bytes& p = w_.edit(where.page);
    MapRow r = mapRowIn(f, ByteView(p.data(), p.size()), where);
    const Bytes old(p.begin() + static_cast<std::ptrdiff_t>(r.start),
                    p.begin() + static_cast<std::ptrdiff_t>(r.start + r.size));
    const std::uint8_t* const oldBitmap = old.data() + usage_map::InlineBitmap;
    const std::uint32_t start = ByteView(old.data(), old.size()).u32(usage_map::InlineStart);
    const std::uint64_t bits = std::uint64_t{r.size - usage_map::InlineBitmap} * 8;
    const std::size_t pointers = usage_map::referencePointers(r.size);

    std::vector<std::uint32_t> bitmaps(pointers, 0);
    std::vector<std::uint32_t> created;
    if (global) {
        // Bitmaps for every page of the file, the new bitmap pages included. Pages the inline
        // window covered keep their bits; the others in the file count as used (they may be).
        std::size_t need = 0;
        while (std::uint64_t{need} * per < w_.pageCount()) {
            if (need >= pointers)
                throw Error("the global usage map cannot describe a file of " +
                            std::to_string(w_.pageCount()) + " pages");
            bitmaps[need] = appendBitmapPage(true);
            created.push_back(bitmaps[need++]);
        }
        const std::uint32_t used = w_.pageCount();
        for (std::size_t k = 0; k < need; ++k) {
            Bytes& b = w_.edit(bitmaps[k]);
            for (std::uint64_t i = 0; i < per; ++i) {
                std::uint64_t pg = k * per + i;
                bool free = pg >= start && pg - start < bits ? bitOf(oldBitmap, pg - start) : pg >= used;
                if (pg < used && std::find(created.begin(), created.end(), pg) != created.end()) free = false;
                setBit(b.data() + usage_map::BitmapPageBits, i, free);
            }
        }
    } else {
        for (std::uint64_t i = 0; i < bits; ++i) {
            if (!bitOf(oldBitmap, i)) continue;
            std::uint64_t pg = start + i, k = pg / per;
            if (k >= pointers) throw Error("a usage map cannot describe page " + std::to_string(pg));
            if (!bitmaps[k]) created.push_back(bitmaps[k] = appendBitmapPage(false));
            setBit(w_.edit(bitmaps[k]).data() + usage_map::BitmapPageBits, pg - k * per);
        }
    }
    Bytes& again = w_.edit(where.page);
    std::fill(again.begin() + static_cast<std::ptrdiff_t>(r.start),
              again.begin() + static_cast<std::ptrdiff_t>(r.start + r.size), std::uint8_t{0});
    again[r.start + usage_map::Kind] = usage_map::Reference;
    for (std::size_t k = 0; k < pointers; ++k)
        putU32(again, referenceAt(r.start, k), bitmaps[k]);
    std::vector<PageWriter::Order> orders;
    for (std::uint32_t c : created)
        orders.push_back({where.page, c});
    if (!w_.tryOrder(orders))
        throw Error("internal error: a usage map's new bitmap pages cannot be ordered before it");
    if (!global)
        for (std::uint32_t c : created)
            markUsed(c);
}

} // namespace jet
