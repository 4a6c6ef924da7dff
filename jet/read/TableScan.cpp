#include "jet/read/TableScan.h"

#include <string>

namespace jet {

TableScan::TableScan(Pager& pager, const TableDef& def, unsigned dbCodePage)
    : pager_(pager), def_(def), codePage_(dbCodePage) {
    pages_.emplace(pager, def.ownedPages);
}

bool TableScan::nextFields(std::vector<FieldBytes>& fields, RowId* id) {
    const Format& f = pager_.format();
    for (;;) {
        while (page_ && slot_ < slots_) {
            unsigned i = slot_++;
            RowSlot s = dataPageRow(f, page_->view(), i);
            if (s.deleted()) continue;
            ByteView row = dataPageRowBytes(f, page_->view(), i);
            if (s.moved()) {
                // The row holds [row u8][page u24] of where its data went; that place may move on.
                RowPointer to{};
                int hops = 0;
                for (;;) {
                    if (row.size() < 4)
                        corrupt("moved row " + std::to_string(i) + " on page " +
                                std::to_string(page_->number()) + " is too short for its pointer");
                    to = RowPointer::fromU32(row.u32(0));
                    if (++hops > MaxMoves)
                        corrupt("moved row " + std::to_string(i) + " on page " +
                                std::to_string(page_->number()) + " leads through too many pointers");
                    target_ = pager_.page(to.page, page_type::Data, "data");
                    if (target_->view().u32(f.dataTdefPage) != def_.page)
                        corrupt("moved row on page " + std::to_string(page_->number()) +
                                " points into another table's page " + std::to_string(to.page));
                    RowSlot t = dataPageRow(f, target_->view(), to.row);
                    row = dataPageRowBytes(f, target_->view(), to.row);
                    if (!(t.flags & row_slot::Overflow)) break;
                }
            }
            splitRow(f, def_, row, fields, offsets_);
            rowSize_ = row.size();
            if (id) *id = {page_->number(), static_cast<std::uint8_t>(i)};
            return true;
        }
        page_.reset();
        std::optional<std::uint32_t> n = pages_->next();
        if (!n) return false;
        enter(*n, 0);
    }
}

void TableScan::enter(std::uint32_t n, unsigned slot) {
    const Format& f = pager_.format();
    lastPage_ = n;
    PageRef p = pager_.page(n);
    // The owned map may list pages that are no longer this table's: skip them.
    if (p->type() != page_type::Data || p->view().u32(f.dataTdefPage) != def_.page) return;
    page_ = p;
    slot_ = slot;
    slots_ = dataPageRowCount(f, p->view());
}

ScanMark TableScan::mark() const {
    if (page_) return {page_->number(), slot_};
    // Between pages: every slot of the last page given is behind.
    return {lastPage_, lastPage_ ? ~0u : 0u};
}

void TableScan::seek(ScanMark mark) {
    pages_.emplace(pager_, def_.ownedPages);
    page_.reset();
    target_.reset();
    lastPage_ = 0;
    slot_ = slots_ = 0;
    if (mark.page == 0) return;
    while (std::optional<std::uint32_t> n = pages_->next()) {
        if (*n < mark.page) continue;
        enter(*n, *n == mark.page ? mark.slot : 0);
        return;
    }
}

bool TableScan::next(std::vector<Value>& values) {
    if (!nextFields(fields_)) return false;
    values.resize(def_.columns.size());
    for (std::size_t i = 0; i < def_.columns.size(); ++i)
        decodeValue(pager_, def_.columns[i], fields_[i], codePage_, values[i]);
    return true;
}

bool TableScan::next(std::vector<Value>& values, std::span<const std::size_t> columns) {
    if (!nextFields(fields_)) return false;
    values.resize(columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const std::size_t i = columns[k];
        if (i >= def_.columns.size())
            throw Error("internal error: the table has no column " + std::to_string(i + 1));
        decodeValue(pager_, def_.columns[i], fields_[i], codePage_, values[k]);
    }
    return true;
}

} // namespace jet
