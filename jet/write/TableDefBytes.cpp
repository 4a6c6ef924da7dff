#include "jet/write/TableDefBytes.h"

#include <string>
#include <unordered_set>

#include "jet/base/Error.h"
#include "jet/encode/TableDefWriter.h"
#include "jet/write/UsageMapEditor.h"

namespace jet {

std::size_t TableDefBytes::nameSize(std::size_t at) const {
    ByteView v(block.data(), block.size());
    return nameLengthSize == 1 ? 1 + v.u8(at) : 2 + v.u16(at);
}

std::size_t TableDefBytes::nameAt(std::size_t index) const {
    std::size_t at = namesAt;
    for (std::size_t i = 0; i < index; ++i)
        at += nameSize(at);
    return at;
}

TableDefBytes readTableDefBytes(PageWriter& w, std::uint32_t firstPage) {
    const Format& f = w.format();
    TableDefBytes t;
    t.nameLengthSize = f.nameLengthSize;
    std::unordered_set<std::uint32_t> seen;
    for (std::uint32_t n = firstPage; n != 0;) {
        if (!seen.insert(n).second)
            corrupt("table definition pages form a loop at page " + std::to_string(n));
        PeekedPage page = w.peek(n);
        ByteView v = page.view();
        if (v.u8(0) != page_type::TableDef)
            corrupt("page " + std::to_string(n) + " should continue a table definition");
        if (t.block.empty())
            t.block.assign(v.data(), v.data() + v.size());
        else
            t.block.insert(t.block.end(), v.data() + 8, v.data() + v.size());
        t.pages.push_back(n);
        n = v.u32(4);
    }
    ByteView v(t.block.data(), t.block.size());
    std::size_t length = v.u32(8);
    if (length < f.tdefBlocksStart || length > t.block.size())
        corrupt("table definition length does not match its pages");
    t.block.resize(length);
    v = ByteView(t.block.data(), t.block.size());

    t.columnCount = v.u16(f.tdefColumnCount);
    std::size_t logical = v.u32(f.tdefLogicalIndexCount), real = v.u32(f.tdefRealIndexCount);
    auto need = [&](std::size_t at, std::size_t n) {
        if (at > length || n > length - at) corrupt("table definition is shorter than its parts");
    };
    need(f.tdefBlocksStart, real * f.realIndexEntry);
    t.columnsAt = f.tdefBlocksStart + real * f.realIndexEntry;
    need(t.columnsAt, t.columnCount * f.columnEntry);
    t.namesAt = t.columnsAt + t.columnCount * f.columnEntry;
    std::size_t at = t.namesAt;
    for (std::size_t i = 0; i < t.columnCount; ++i) {
        need(at, t.nameLengthSize);
        need(at, t.nameSize(at));
        at += t.nameSize(at);
    }
    t.namesEnd = at;
    need(at, real * f.realIndexColumns + logical * f.logicalIndexEntry);
    at += real * f.realIndexColumns + logical * f.logicalIndexEntry;
    for (std::size_t i = 0; i < logical; ++i) {
        need(at, t.nameLengthSize);
        need(at, t.nameSize(at));
        at += t.nameSize(at);
    }
    t.indexNamesEnd = at;
    return t;
}

void storeTableDef(PageWriter& w, const TableDefBytes& old, const Bytes& block) {
    const Format& f = w.format();
    UsageMapEditor maps(w);
    const std::uint32_t first = old.pages.front();
    std::vector<std::uint32_t> pages{first};
    for (std::size_t i = 1; i < tableDefPageCount(f, block.size()); ++i)
        pages.push_back(w.append());
    std::vector<Bytes> images = tableDefPages(f, block, pages);
    std::vector<PageWriter::Order> orders;
    for (std::size_t i = 1; i < pages.size(); ++i) {
        w.replace(pages[i], images[i]);
        maps.markUsed(pages[i]);
        orders.push_back({first, pages[i]});
        orders.push_back({first, maps.pageChangedFor(UsageMapEditor::Global, pages[i])});
    }
    w.replace(first, images[0]);
    if (!w.tryOrder(orders)) throw Error("internal error: a table definition's pages cannot be ordered");
    w.commit();
    for (std::size_t i = 1; i < old.pages.size(); ++i)
        maps.markFree(old.pages[i]);
    w.commit();
}

} // namespace jet
