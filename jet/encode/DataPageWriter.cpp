#include "jet/encode/DataPageWriter.h"

#include <algorithm>
#include <string>

#include "jet/base/Error.h"

namespace jet {

DataPageWriter::DataPageWriter(const Format& f, std::uint32_t owner)
    : f_(f), owner_(owner), top_(f.pageSize) {
    clear();
}

void DataPageWriter::clear() {
    page_.assign(f_.pageSize, 0);
    page_[0] = page_type::Data;
    page_[1] = 0x01;
    putU32(page_, f_.dataTdefPage, owner_);
    rows_ = 0;
    top_ = f_.pageSize;
    putU16(page_, data_page::FreeSpace, static_cast<std::uint16_t>(freeSpace()));
}

std::size_t DataPageWriter::freeSpace() const {
    std::size_t table = dataPageSlot(f_, rows_);
    return top_ > table ? top_ - table : 0;
}

bool DataPageWriter::fits(std::size_t size) const {
    return rows_ < data_page::MaxRows && freeSpace() >= size + data_page::SlotSize;
}

std::size_t DataPageWriter::largestRow() const {
    return f_.pageSize - dataPageSlot(f_, 1);
}

unsigned DataPageWriter::add(const std::uint8_t* row, std::size_t size, std::uint16_t flags) {
    if (!fits(size))
        throw Error("internal error: a row of " + std::to_string(size) + " bytes does not fit its data page");
    top_ -= size;
    std::copy(row, row + size, page_.begin() + static_cast<std::ptrdiff_t>(top_));
    unsigned index = rows_++;
    putU16(page_, dataPageSlot(f_, index), static_cast<std::uint16_t>(top_ | flags));
    putU16(page_, f_.dataRowCount, static_cast<std::uint16_t>(rows_));
    putU16(page_, data_page::FreeSpace, static_cast<std::uint16_t>(freeSpace()));
    return index;
}

} // namespace jet
