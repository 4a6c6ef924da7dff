#include "jet/read/LongValue.h"

#include <string>
#include <unordered_set>

#include "jet/format/DataPage.h"

namespace jet {

namespace {

ByteView lvalRow(Pager& pager, RowPointer where, PageRef& keep) {
    keep = pager.page(where.page, page_type::Data, "long value");
    return dataPageRowBytes(pager.format(), keep->view(), where.row, "long value row");
}

} // namespace

std::vector<std::uint8_t> readLongValue(Pager& pager, ByteView field) {
    if (field.size() < long_value::FieldSize)
        corrupt("memo/OLE field of " + std::to_string(field.size()) + " bytes");
    std::uint32_t head = field.u32(0);
    std::size_t length = head & long_value::LengthMask;
    std::uint8_t kind = field.u8(3) & 0xC0;
    if (length > pager.file().size())
        corrupt("memo/OLE value claims " + std::to_string(length) + " bytes, more than the file");
    std::vector<std::uint8_t> out;
    if (kind == long_value::Inline) {
        ByteView data = field.sub(long_value::FieldSize, length, "inline memo/OLE value");
        out.assign(data.data(), data.data() + data.size());
        return out;
    }
    RowPointer where = RowPointer::fromU32(field.u32(4));
    PageRef keep;
    if (kind == long_value::OneRow) {
        ByteView row = lvalRow(pager, where, keep);
        ByteView data = row.sub(0, length, "memo/OLE value row");
        out.assign(data.data(), data.data() + data.size());
        return out;
    }
    if (kind != long_value::Chain) corrupt("memo/OLE field has unknown kind " + std::to_string(kind));
    // Each row may take part in the chain once: a pointer back into it would repeat its bytes.
    std::unordered_set<std::uint32_t> seen;
    while (out.size() < length) {
        if (where.page == 0) corrupt("memo/OLE chain ends before its declared length");
        if (!seen.insert(where.page << 8 | where.row).second) corrupt("memo/OLE chain runs in a loop");
        ByteView row = lvalRow(pager, where, keep);
        if (row.size() <= 4) corrupt("memo/OLE chain row without data");
        std::size_t take = std::min(row.size() - 4, length - out.size());
        out.insert(out.end(), row.data() + 4, row.data() + 4 + take);
        where = RowPointer::fromU32(row.u32(0));
    }
    return out;
}

} // namespace jet
