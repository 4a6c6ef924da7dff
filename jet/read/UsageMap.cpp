#include "jet/read/UsageMap.h"

namespace jet {

UsageMapCursor::UsageMapCursor(Pager& pager, RowPointer where) : pager_(pager) {
    PageRef page = pager.page(where.page, page_type::Data, "usage map");
    ByteView row = dataPageRowBytes(pager.format(), page->view(), where.row, "usage map row");
    if (row.size() < 1) corrupt("empty usage map row on page " + std::to_string(where.page));
    row_.assign(row.data(), row.data() + row.size());
    kind_ = row_[usage_map::Kind];
    if (kind_ == usage_map::Inline) {
        if (row.size() < usage_map::InlineBitmap)
            corrupt("inline usage map on page " + std::to_string(where.page) + " is too short");
        base_ = row.u32(usage_map::InlineStart);
        bitmap_.assign(row_.begin() + usage_map::InlineBitmap, row_.end());
    } else if (kind_ != usage_map::Reference) {
        corrupt("usage map on page " + std::to_string(where.page) + " has unknown kind " +
                std::to_string(kind_));
    }
}

bool UsageMapCursor::loadBitmap() {
    const std::uint64_t perPage = usage_map::pagesPerBitmapPage(pager_.format());
    while (nextRef_ < usage_map::referencePointers(row_.size())) {
        std::size_t i = nextRef_++;
        std::uint32_t pg = ByteView(row_.data(), row_.size()).u32(usage_map::References + 4 * i);
        if (pg == 0) continue;
        PageRef bitmapPage = pager_.page(pg, page_type::UsageBitmap, "usage bitmap");
        ByteView v = bitmapPage->view().from(usage_map::BitmapPageBits);
        bitmap_.assign(v.data(), v.data() + v.size());
        base_ = std::uint64_t{i} * perPage;
        bit_ = 0;
        return true;
    }
    return false;
}

std::optional<std::uint32_t> UsageMapCursor::next() {
    for (;;) {
        while (bit_ < bitmap_.size() * 8) {
            std::size_t b = bit_++;
            if (usage_map::bitOf(bitmap_.data(), b)) {
                std::uint64_t pg = base_ + b;
                // Bits beyond the file describe pages that do not exist; nothing past them can either.
                if (pg >= pager_.pageCount()) {
                    bit_ = bitmap_.size() * 8;
                    break;
                }
                return static_cast<std::uint32_t>(pg);
            }
        }
        if (kind_ != usage_map::Reference || !loadBitmap()) return std::nullopt;
    }
}

} // namespace jet
