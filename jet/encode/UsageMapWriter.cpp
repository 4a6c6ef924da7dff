#include "jet/encode/UsageMapWriter.h"

#include "jet/base/Error.h"

namespace jet {

namespace {

Bytes bitmapPage(const Format& f) {
    Bytes p(f.pageSize, 0);
    p[0] = page_type::UsageBitmap;
    p[1] = usage_map::BitmapPageMark;
    return p;
}

} // namespace

Bytes UsageMapWriter::ownedPages(const std::vector<std::uint32_t>& pages, PageAllocator& alloc,
                                 PageSink& sink, const std::vector<std::uint32_t>& reuse) {
    bitmapPages_.clear();
    Bytes row(usage_map::rowSize(f_), 0);
    const std::uint64_t window = usage_map::inlineBitmap(f_) * 8;
    // The start page of an inline map is kept a multiple of 8, as Access keeps it.
    std::uint32_t start = pages.empty() ? 0 : pages.front() / 8 * 8;
    if (pages.empty() || pages.back() - start < window) {
        row[usage_map::Kind] = usage_map::Inline;
        putU32(row, usage_map::InlineStart, start);
        for (std::uint32_t p : pages)
            usage_map::setBit(row.data() + usage_map::InlineBitmap, p - start);
        return row;
    }
    row[usage_map::Kind] = usage_map::Reference;
    const std::uint64_t per = usage_map::pagesPerBitmapPage(f_);
    std::size_t i = 0;
    while (i < pages.size()) {
        std::uint64_t slot = pages[i] / per;
        if (slot >= usage_map::referencePointers(f_))
            throw Error("a usage map cannot describe page " + std::to_string(pages[i]));
        Bytes bitmap = bitmapPage(f_);
        for (; i < pages.size() && pages[i] / per == slot; ++i)
            usage_map::setBit(bitmap.data() + usage_map::BitmapPageBits, pages[i] - slot * per);
        std::uint32_t at = bitmapPages_.size() < reuse.size() ? reuse[bitmapPages_.size()] : alloc.allocate();
        bitmapPages_.push_back(at);
        sink.writePage(at, bitmap);
        putU32(row, usage_map::References + 4 * static_cast<std::size_t>(slot), at);
    }
    return row;
}

Bytes UsageMapWriter::freePages(PageAllocator& alloc, PageSink& sink) {
    bitmapPages_.clear();
    Bytes row(usage_map::rowSize(f_), 0);
    const std::uint64_t window = usage_map::inlineBitmap(f_) * 8;
    if (alloc.pageCount() <= window) {
        row[usage_map::Kind] = usage_map::Inline;
        putU32(row, usage_map::InlineStart, 0);
        for (std::uint64_t p = alloc.pageCount(); p < window; ++p)
            usage_map::setBit(row.data() + usage_map::InlineBitmap, p);
        return row;
    }
    // Bitmap pages for every page in use, the bitmap pages themselves included.
    const std::uint64_t per = usage_map::pagesPerBitmapPage(f_);
    while (std::uint64_t{bitmapPages_.size()} * per < alloc.pageCount())
        bitmapPages_.push_back(alloc.allocate());
    const std::size_t need = bitmapPages_.size();
    if (need > usage_map::referencePointers(f_))
        throw Error("the global usage map cannot describe " + std::to_string(alloc.pageCount()) + " pages");
    row[usage_map::Kind] = usage_map::Reference;
    const std::uint64_t used = alloc.pageCount();
    for (std::size_t k = 0; k < bitmapPages_.size(); ++k) {
        Bytes bitmap = bitmapPage(f_);
        for (std::uint64_t b = 0; b < per; ++b)
            if (k * per + b >= used) usage_map::setBit(bitmap.data() + usage_map::BitmapPageBits, b);
        sink.writePage(bitmapPages_[k], bitmap);
        putU32(row, usage_map::References + 4 * k, bitmapPages_[k]);
    }
    return row;
}

} // namespace jet
