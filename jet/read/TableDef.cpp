#include "jet/read/TableDef.h"

#include <algorithm>
#include <unordered_set>

#include "jet/format/Text.h"

namespace jet {

std::size_t Column::fixedSize() const {
    if (calculated()) return length; // the value wrapped in its calculation header
    std::size_t n = fixedSizeOf(type);
    return n ? n : length;
}

const Column* TableDef::find(const std::string& name) const {
    for (const auto& c : columns)
        if (c.name == name) return &c;
    return nullptr;
}

namespace {

// Walks the joined definition bytes front to back, checking every step.
class Cursor {
public:
    explicit Cursor(ByteView v, std::size_t at) : v_(v), at_(at) {}
    std::size_t at() const { return at_; }
    ByteView take(std::size_t n, const char* what) {
        ByteView s = v_.sub(at_, n, what);
        at_ += n;
        return s;
    }
    std::string name(const Format& f, unsigned codePage) {
        std::size_t len = f.nameLengthSize == 1 ? v_.u8(at_) : v_.u16(at_);
        at_ += f.nameLengthSize;
        ByteView s = take(len, "name");
        return f.jet3 ? decodeCodePage(s.data(), s.size(), codePage) : decodeJet4Text(s.data(), s.size());
    }

private:
    ByteView v_;
    std::size_t at_;
};

constexpr std::size_t MaxDefinitionPages = 256;

// Joins the definition's pages: the first whole, continuations from byte 8.
std::vector<std::uint8_t> joinPages(Pager& pager, std::uint32_t first, std::vector<std::uint32_t>& pages) {
    std::vector<std::uint8_t> bytes;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t n = first;
    while (n != 0) {
        if (!seen.insert(n).second)
            corrupt("table definition pages form a loop at page " + std::to_string(n));
        // The largest definition Access can make (255 columns, their names, 32 indexes) takes a
        // few dozen pages.
        if (pages.size() >= MaxDefinitionPages)
            corrupt("table definition runs over more than " + std::to_string(MaxDefinitionPages) + " pages");
        PageRef p = pager.page(n, page_type::TableDef, "table definition");
        ByteView v = p->view();
        if (bytes.empty())
            bytes.assign(v.data(), v.data() + v.size());
        else
            bytes.insert(bytes.end(), v.data() + 8, v.data() + v.size());
        pages.push_back(n);
        n = v.u32(4);
    }
    return bytes;
}

} // namespace

TableDef readTableDef(Pager& pager, std::uint32_t firstPage, unsigned codePage) {
    const Format& f = pager.format();
    TableDef t;
    t.page = firstPage;
    t.codePage = codePage;
    std::vector<std::uint8_t> joined = joinPages(pager, firstPage, t.pages);
    ByteView v(joined.data(), joined.size());

    t.length = v.u32(8);
    t.rowCount = v.u32(f.tdefRowCount);
    t.nextAutoNumber = v.u32(f.tdefAutoNumber);
    t.tableType = v.u8(f.tdefTableType);
    t.maxColumns = v.u16(f.tdefMaxCols);
    t.varColumns = v.u16(f.tdefVarCols);
    std::size_t columnCount = v.u16(f.tdefColumnCount);
    std::uint32_t logicalCount = v.u32(f.tdefLogicalIndexCount);
    std::uint32_t realCount = v.u32(f.tdefRealIndexCount);
    t.ownedPages = RowPointer::fromU32(v.u32(f.tdefOwnedPages));
    t.freePages = RowPointer::fromU32(v.u32(f.tdefFreePages));

    if (columnCount > t.maxColumns && t.maxColumns != 0)
        corrupt("table definition has " + std::to_string(columnCount) + " columns but room for " +
                std::to_string(t.maxColumns));
    // Each count is checked against the bytes it needs before anything is allocated for it.
    auto fits = [&](std::uint64_t count, std::size_t each, std::size_t at, const char* what) {
        if (count * each > v.size() - std::min(at, v.size()))
            corrupt(std::string("table definition claims more ") + what + " than it holds");
    };
    std::size_t at = f.tdefBlocksStart;
    fits(realCount, f.realIndexEntry, at, "indexes");
    Cursor c(v, at);
    c.take(realCount * f.realIndexEntry, "index entries");

    fits(columnCount, f.columnEntry, c.at(), "columns");
    t.columns.resize(columnCount);
    for (std::size_t i = 0; i < columnCount; ++i) {
        ByteView b = c.take(f.columnEntry, "column");
        Column& col = t.columns[i];
        col.type = static_cast<ColumnType>(b.u8(f.colType)); // unknown codes too: read as bytes
        col.number = b.u16(f.colNumber);
        col.varIndex = b.u16(f.colVarIndex);
        col.flags = b.u8(f.colFlags);
        col.extFlags = f.colExtFlags ? b.u8(f.colExtFlags) : 0;
        col.fixedOffset = b.u16(f.colFixedOffset);
        col.length = b.u16(f.colLength);
        col.blockIndex = i;
        if (col.type == ColumnType::Decimal) {
            col.precision = b.u8(f.colPrecision);
            col.scale = b.u8(f.colPrecision + 1);
        }
        if (f.jet3) {
            col.sortOrder = b.u16(f.colSortOrder);
            col.codePage = b.u16(f.colCodePage);
        } else {
            col.sortOrder = b.u32(f.colSortOrder);
        }
        if (col.type == ColumnType::Complex && f.colComplexId) col.complexId = b.i32(f.colComplexId);
        if (col.number >= std::max<std::size_t>(t.maxColumns, columnCount))
            corrupt("column " + std::to_string(i) + " has number " + std::to_string(col.number) +
                    " beyond the table's " + std::to_string(t.maxColumns) + " columns");
        if (col.fixed() && (col.type != ColumnType::Boolean || col.calculated()) &&
            col.fixedOffset + col.fixedSize() > f.pageSize)
            corrupt("fixed column " + std::to_string(i) + " lies beyond any row");
    }
    for (auto& col : t.columns)
        col.name = c.name(f, codePage);

    fits(realCount, f.realIndexColumns, c.at(), "index column blocks");
    t.realIndexes.resize(realCount);
    for (auto& ri : t.realIndexes) {
        ByteView b = c.take(f.realIndexColumns, "index columns");
        std::size_t o = f.jet3 ? 0 : 4;
        for (int k = 0; k < 10; ++k, o += 3) {
            std::uint16_t num = b.u16(o);
            if (num == 0xFFFF) continue;
            ri.columns.push_back({num, b.u8(o + 2) != 0x02});
        }
        ri.usageMap = b.u32(o);
        ri.firstPage = b.u32(o + 4);
        ri.flags = b.u8(o + 8);
    }

    fits(logicalCount, f.logicalIndexEntry, c.at(), "index definitions");
    t.indexes.resize(logicalCount);
    for (auto& li : t.indexes) {
        ByteView b = c.take(f.logicalIndexEntry, "index definition");
        std::size_t o = f.jet3 ? 0 : 4;
        li.number = b.i32(o);
        li.realIndex = b.i32(o + 4);
        li.kind = b.u8(o + 19); // after: relation table type (1), index (4), page (4), cascades (2)
        if (li.realIndex < 0 || static_cast<std::uint32_t>(li.realIndex) >= realCount)
            corrupt("index " + std::to_string(li.number) + " refers to missing index data " +
                    std::to_string(li.realIndex));
    }
    for (auto& li : t.indexes)
        li.name = c.name(f, codePage);

    // Columns come in the order of their numbers, as Access lists them; deleted ones leave gaps.
    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const Column& a, const Column& b) { return a.number < b.number; });
    return t;
}

} // namespace jet
