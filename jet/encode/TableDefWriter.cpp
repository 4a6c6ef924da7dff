#include "jet/encode/TableDefWriter.h"

#include <algorithm>
#include <cctype>

#include "jet/base/Error.h"
#include "jet/format/CodePage.h"
#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

// A constant Access writes into every definition and column block.
constexpr std::uint32_t kTableMagic = 1625;

std::uint32_t pointerValue(RowPointer p) {
    return rowPointerValue(p.page, p.row);
}

} // namespace

Bytes encodeTableDef(const Format& f, const TableDef& def, const std::vector<LongValueMaps>& longValueMaps,
                     bool engineTable) {
    if (!def.realIndexes.empty() || !def.indexes.empty())
        throw Unsupported("writing table definitions with indexes is not supported yet");
    Bytes b(f.tdefBlocksStart, 0);
    b[0] = page_type::TableDef;
    b[1] = 0x01;
    const unsigned codePage = def.codePage ? def.codePage : 1252;
    if (!f.jet3) {
        putU32(b, 0x0C, kTableMagic);
        b[0x18] = 0x01;
    }
    putU32(b, f.tdefRowCount, def.rowCount);
    putU32(b, f.tdefAutoNumber, def.nextAutoNumber);
    b[f.tdefTableType] = def.tableType;
    putU16(b, f.tdefMaxCols, def.maxColumns);
    putU16(b, f.tdefVarCols, def.varColumns);
    putU16(b, f.tdefColumnCount, static_cast<std::uint16_t>(def.columns.size()));
    putU32(b, f.tdefLogicalIndexCount, 0);
    putU32(b, f.tdefRealIndexCount, 0);
    putU32(b, f.tdefOwnedPages, pointerValue(def.ownedPages));
    putU32(b, f.tdefFreePages, pointerValue(def.freePages));

    std::vector<const Column*> order;
    for (const Column& c : def.columns)
        order.push_back(&c);
    // Jet3 keeps the engine's tables in column order too.
    if (engineTable && !f.jet3)
        std::stable_sort(order.begin(), order.end(), [](const Column* x, const Column* y) {
            return std::lexicographical_compare(x->name.begin(), x->name.end(), y->name.begin(),
                                                y->name.end(), [](char p, char q) {
                                                    return std::tolower(static_cast<unsigned char>(p)) <
                                                           std::tolower(static_cast<unsigned char>(q));
                                                });
        });
    for (const Column* column : order) {
        const Column& c = *column;
        Bytes col(f.columnEntry, 0);
        col[f.colType] = static_cast<std::uint8_t>(c.type);
        if (!f.jet3) putU32(col, 1, kTableMagic);
        putU16(col, f.colNumber, c.number);
        putU16(col, f.colVarIndex, c.varIndex);
        if (!engineTable) putU16(col, f.colVarIndex + 2, c.number);
        if (f.jet3) {
            // Every Jet3 column carries the sort order and code page, numbers too; then a 1 at 7.
            putU16(col, f.colVarIndex + 4, 1);
            putU16(col, f.colSortOrder, static_cast<std::uint16_t>(c.sortOrder ? c.sortOrder : 0x0409));
            putU16(col, f.colCodePage, static_cast<std::uint16_t>(c.codePage ? c.codePage : codePage));
        } else if (c.type == ColumnType::Decimal) {
            col[f.colPrecision] = c.precision;
            col[f.colPrecision + 1] = c.scale;
        } else {
            putU32(col, f.colSortOrder, c.sortOrder);
        }
        col[f.colFlags] = c.flags;
        if (f.colExtFlags) col[f.colExtFlags] = c.extFlags;
        putU16(col, f.colFixedOffset, c.fixedOffset);
        putU16(col, f.colLength, c.length);
        b.insert(b.end(), col.begin(), col.end());
    }
    for (const Column* c : order) {
        if (f.jet3) {
            std::vector<std::uint8_t> name = encodeCodePage(c->name, codePage);
            if (name.size() > 0xFF) throw Error("column name \"" + c->name + "\" is too long");
            b.push_back(static_cast<std::uint8_t>(name.size()));
            b.insert(b.end(), name.begin(), name.end());
            continue;
        }
        Bytes name = encodeUcs2(utf16FromUtf8(c->name));
        appendU16(b, static_cast<std::uint16_t>(name.size()));
        b.insert(b.end(), name.begin(), name.end());
    }
    // The long-value maps follow the order of the column blocks.
    std::vector<LongValueMaps> maps = longValueMaps;
    auto position = [&](std::uint16_t number) {
        for (std::size_t i = 0; i < order.size(); ++i)
            if (order[i]->number == number) return i;
        return order.size();
    };
    std::stable_sort(maps.begin(), maps.end(), [&](const LongValueMaps& x, const LongValueMaps& y) {
        return position(x.columnNumber) < position(y.columnNumber);
    });
    for (const auto& m : maps) {
        appendU16(b, m.columnNumber);
        appendU32(b, pointerValue(m.owned));
        appendU32(b, pointerValue(m.free));
    }
    appendU16(b, 0xFFFF);
    putU32(b, 8, static_cast<std::uint32_t>(b.size()));
    return b;
}

std::size_t tableDefPageCount(const Format& f, std::size_t blockSize) {
    if (blockSize <= f.pageSize) return 1;
    const std::size_t rest = f.pageSize - 8;
    return 1 + (blockSize - f.pageSize + rest - 1) / rest;
}

std::vector<Bytes> tableDefPages(const Format& f, const Bytes& block,
                                 const std::vector<std::uint32_t>& pageNumbers) {
    if (pageNumbers.size() != tableDefPageCount(f, block.size()))
        throw Error("internal error: wrong number of pages for a table definition");
    std::vector<Bytes> pages;
    std::size_t at = 0;
    for (std::size_t i = 0; i < pageNumbers.size(); ++i) {
        Bytes p(f.pageSize, 0);
        std::size_t used;
        if (i == 0) {
            used = std::min(block.size(), f.pageSize);
            std::copy(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(used), p.begin());
        } else {
            p[0] = page_type::TableDef;
            p[1] = 0x01;
            std::size_t n = std::min(block.size() - at, f.pageSize - 8);
            std::copy(block.begin() + static_cast<std::ptrdiff_t>(at),
                      block.begin() + static_cast<std::ptrdiff_t>(at + n), p.begin() + 8);
            used = 8 + n;
        }
        at += i == 0 ? used : used - 8;
        if (f.jet3) {
            p[2] = 'V'; // Jet3 keeps these two letters where Jet4 keeps the free space
            p[3] = 'C';
        } else {
            putU16(p, 2, static_cast<std::uint16_t>(f.pageSize > used + 8 ? f.pageSize - used - 8 : 0));
        }
        putU32(p, 4, i + 1 < pageNumbers.size() ? pageNumbers[i + 1] : 0);
        pages.push_back(std::move(p));
    }
    return pages;
}

} // namespace jet
