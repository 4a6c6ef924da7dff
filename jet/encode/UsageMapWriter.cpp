#include "jet/encode/UsageMapWriter.h"

#include "jet/base/Error.h"
#include "jet/read/UsageMap.h"

namespace jet {

namespace layout = usage_map_layout;

std::uint64_t pagesPerBitmapPage(const Format& f) {
    return std::uint64_t{f.pageSize - 4} * 8;
}

namespace {

void setBit(Bytes& b, std::size_t at, std::uint64_t bit) {
    b[at + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
}

Bytes bitmapPage(const Format& f) {
    Bytes p(f.pageSize, 0);
    p[0] = page_type::UsageBitmap;
    p[1] = 0x01;
    return p;
}

} // namespace

Bytes UsageMapWriter::ownedPages(const std::vector<std::uint32_t>& pages, PageAllocator& alloc,
                                 PageSink& sink, const std::vector<std::uint32_t>& reuse) {
    bitmapPages_.clear();
    Bytes row(layout::rowSize(f_), 0);
    const std::uint64_t window = layout::inlineBitmap(f_) * 8;
    // The start page of an inline map is kept a multiple of 8, as Access keeps it.
    std::uint32_t start = pages.empty() ? 0 : pages.front() / 8 * 8;
    if (pages.empty() || pages.back() - start < window) {
        row[0] = usage_map::Inline;
        putU32(row, 1, start);
        for (std::uint32_t p : pages)
            setBit(row, 5, p - start);
        return row;
    }
    row[0] = usage_map::Reference;
    const std::uint64_t per = pagesPerBitmapPage(f_);
    std::size_t i = 0;
    while (i < pages.size()) {
        std::uint64_t slot = pages[i] / per;
        if (slot >= layout::referencePointers(f_))
            throw Error("a usage map cannot describe page " + std::to_string(pages[i]));
        Bytes bitmap = bitmapPage(f_);
        for (; i < pages.size() && pages[i] / per == slot; ++i)
            setBit(bitmap, 4, pages[i] - slot * per);
        std::uint32_t at = bitmapPages_.size() < reuse.size() ? reuse[bitmapPages_.size()] : alloc.allocate();
        bitmapPages_.push_back(at);
        sink.writePage(at, bitmap);
        putU32(row, 1 + 4 * static_cast<std::size_t>(slot), at);
    }
    return row;
}

Bytes UsageMapWriter::freePages(PageAllocator& alloc, PageSink& sink) {
    bitmapPages_.clear();
    Bytes row(layout::rowSize(f_), 0);
    const std::uint64_t window = layout::inlineBitmap(f_) * 8;
    if (alloc.pageCount() <= window) {
        row[0] = usage_map::Inline;
        putU32(row, 1, 0);
        for (std::uint64_t p = alloc.pageCount(); p < window; ++p)
            setBit(row, 5, p);
        return row;
    }
    // Bitmap pages for every page in use, the bitmap pages themselves included.
    const std::uint64_t per = pagesPerBitmapPage(f_);
    while (std::uint64_t{bitmapPages_.size()} * per < alloc.pageCount())
        bitmapPages_.push_back(alloc.allocate());
    const std::size_t need = bitmapPages_.size();
    if (need > layout::referencePointers(f_))
        throw Error("the global usage map cannot describe " + std::to_string(alloc.pageCount()) + " pages");
    row[0] = usage_map::Reference;
    const std::uint64_t used = alloc.pageCount();
    for (std::size_t k = 0; k < bitmapPages_.size(); ++k) {
        Bytes bitmap = bitmapPage(f_);
        for (std::uint64_t b = 0; b < per; ++b)
            if (k * per + b >= used) setBit(bitmap, 4, b);
        sink.writePage(bitmapPages_[k], bitmap);
        putU32(row, 1 + 4 * k, bitmapPages_[k]);
    }
    return row;
}

} // namespace jet
