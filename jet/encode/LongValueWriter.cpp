#include "jet/encode/LongValueWriter.h"

#include <string>

#include "jet/base/Error.h"

namespace jet {

LongValueWriter::LongValueWriter(const Format& f, PageAllocator& alloc, PageSink& sink)
    : f_(f), alloc_(alloc), sink_(sink), page_(f, data_page::LongValueOwner) {}

std::uint32_t LongValueWriter::addRow(const Bytes& row) {
    if (pageNumber_ == 0 || !page_.fits(row.size())) {
        flush();
        page_.clear();
        pageNumber_ = alloc_.allocate();
        pages_.push_back(pageNumber_);
    }
    unsigned index = page_.add(row);
    return rowPointerValue(pageNumber_, static_cast<std::uint8_t>(index));
}

void LongValueWriter::flush() {
    if (pageNumber_ != 0 && !page_.empty()) sink_.writePage(pageNumber_, page_.bytes());
}

Bytes LongValueWriter::store(const Bytes& data, bool inlineAllowed) {
    if (data.size() > long_value_limits::MaxLength)
        throw Error("a memo or OLE value of " + std::to_string(data.size()) +
                    " bytes is longer than Access allows");
    const auto length = static_cast<std::uint32_t>(data.size());
    Bytes field;
    field.reserve(long_value::FieldSize);
    if (inlineAllowed && data.size() <= long_value_limits::MaxInline) {
        appendU32(field, length | std::uint32_t{long_value::Inline} << 24);
        appendU32(field, 0);
        appendU32(field, 0);
        field.insert(field.end(), data.begin(), data.end());
        return field;
    }
    if (data.size() <= f_.maxLongValueRow) {
        std::uint32_t where = addRow(data);
        appendU32(field, length | std::uint32_t{long_value::OneRow} << 24);
        appendU32(field, where);
        appendU32(field, 0);
        return field;
    }
    // A chain: each row is [next row pointer][chunk]. Written from the end, so that every row
    // knows where its successor went; the first row is the one the field points at.
    const std::size_t chunk = f_.maxLongValueRow - 4;
    std::size_t count = (data.size() + chunk - 1) / chunk;
    std::uint32_t next = 0;
    for (std::size_t k = count; k-- > 0;) {
        std::size_t from = k * chunk, n = std::min(chunk, data.size() - from);
        Bytes row;
        row.reserve(4 + n);
        appendU32(row, next);
        row.insert(row.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                   data.begin() + static_cast<std::ptrdiff_t>(from + n));
        next = addRow(row);
    }
    appendU32(field, length | std::uint32_t{long_value::Chain} << 24);
    appendU32(field, next);
    appendU32(field, 0);
    return field;
}

} // namespace jet
