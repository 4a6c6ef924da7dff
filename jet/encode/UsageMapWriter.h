#pragma once
// Writing usage maps. A map is a row on a data page: inline (kind 0, a start page and a bitmap)
// while its pages fit the bitmap's window, by reference (kind 1, pointers to bitmap pages of type
// 0x05) once they do not. Two meanings share the layout: a table's maps list the pages they own
// (a set bit means "mine"); the global map on page 1 lists the pages that are free (a set bit
// means "free", and everything past the end of the file is free). The layout is in
// jet/format/UsageMapFormat.h.

#include <cstdint>
#include <vector>

#include "jet/base/ByteWriter.h"
#include "jet/encode/PageAllocator.h"
#include "jet/format/Format.h"
#include "jet/format/UsageMapFormat.h"

namespace jet {

class UsageMapWriter {
public:
    explicit UsageMapWriter(const Format& f) : f_(f) {}

    // The row of a map owning `pages` (ascending, no repeats). Inline when they fit one window;
    // otherwise a reference map whose bitmap pages are taken from `reuse` first, then from
    // `alloc`, and written to `sink`.
    Bytes ownedPages(const std::vector<std::uint32_t>& pages, PageAllocator& alloc, PageSink& sink,
                     const std::vector<std::uint32_t>& reuse = {});

    // The row of the global map of a file whose pages 0..pageCount-1 are all in use. A reference
    // map allocates its bitmap pages at the end of the file, so the count is read from `alloc`
    // after they are taken.
    Bytes freePages(PageAllocator& alloc, PageSink& sink);

    // Bitmap pages taken by the last call (to reuse them when the map is written again).
    const std::vector<std::uint32_t>& bitmapPages() const { return bitmapPages_; }

private:
    const Format& f_;
    std::vector<std::uint32_t> bitmapPages_;
};

} // namespace jet
