#include "jet/create/TableFiller.h"

#include <string>

#include "jet/base/Error.h"
#include "jet/encode/FieldEncoder.h"
#include "jet/encode/RowEncoder.h"
#include "jet/encode/TableDefWriter.h"
#include "jet/encode/UsageMapWriter.h"

namespace jet {

TableFiller::TableFiller(const Format& f, std::string name, TableDef def, std::uint32_t tdefPage,
                         PageAllocator& alloc, PageSink& sink)
    : f_(f), name_(std::move(name)), def_(std::move(def)), alloc_(alloc), sink_(sink), page_(f, tdefPage) {
    def_.page = tdefPage;
    def_.rowCount = 0;
    def_.nextAutoNumber = 0;
    for (const auto& c : def_.columns)
        longValues_.push_back(isLongValue(c.type) ? std::make_unique<LongValueWriter>(f, alloc, sink)
                                                  : nullptr);
}

void TableFiller::append(const std::vector<Value>& values) {
    const std::string where = "row " + std::to_string(std::uint64_t{def_.rowCount} + 1);
    if (values.size() != def_.columns.size())
        throw Error(where + " has " + std::to_string(values.size()) + " values for " +
                    std::to_string(def_.columns.size()) + " columns");
    fields_.resize(def_.columns.size());
    // Short values and the long-value fields of 12 bytes: what the row takes before any memo is
    // kept inline. A memo goes inline only while the row keeps room for the rest.
    std::size_t estimate =
        2 + fixedAreaSize(def_) + 2 * (varSlotCount(def_) + 2) + (def_.maxColumns + 7u) / 8;
    std::size_t longColumns = 0;
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        if (longValues_[i]) {
            ++longColumns;
            continue;
        }
        try {
            const Column& c = def_.columns[i];
            if (c.flags & column_flag::AutoLong) {
                // A null takes the number after the last one used; a number given is kept, and the
                // count goes on from it. The definition records the last number used.
                Value n = values[i];
                if (n.isNull()) {
                    if (def_.nextAutoNumber >= 0x7FFFFFFFu)
                        throw Error("the AutoNumber has reached its largest value");
                    n.kind = Value::Kind::Integer;
                    n.integer = std::int64_t{def_.nextAutoNumber} + 1;
                }
                fields_[i] = encodeField(f_, def_.codePage, c, n, nullptr);
                auto used = static_cast<std::int32_t>(
                    ByteView(fields_[i].bytes.data(), fields_[i].bytes.size()).u32(0));
                if (used > 0 && static_cast<std::uint32_t>(used) > def_.nextAutoNumber)
                    def_.nextAutoNumber = static_cast<std::uint32_t>(used);
            } else {
                fields_[i] = encodeField(f_, def_.codePage, c, values[i], nullptr);
            }
        } catch (const Error& e) {
            throw Error(where + ", column \"" + def_.columns[i].name + "\": " + e.what());
        }
        if (!def_.columns[i].fixed()) estimate += fields_[i].bytes.size();
    }
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        if (!longValues_[i]) continue;
        --longColumns;
        bool room = estimate + long_value::FieldSize + long_value_limits::MaxInline +
                        long_value::FieldSize * longColumns <=
                    maxRowSize(f_);
        try {
            fields_[i] = encodeField(f_, def_.codePage, def_.columns[i], values[i], longValues_[i].get(), room);
        } catch (const Error& e) {
            throw Error(where + ", column \"" + def_.columns[i].name + "\": " + e.what());
        }
        estimate += fields_[i].bytes.size();
    }
    Bytes row;
    try {
        row = encodeRow(f_, def_, fields_);
    } catch (const Error& e) {
        throw Error(where + ": " + e.what());
    }
    if (pageNumber_ == 0 || !page_.fits(row.size())) {
        if (pageNumber_ != 0) writeDataPage();
        page_.clear();
        pageNumber_ = alloc_.allocate();
        dataPages_.push_back(pageNumber_);
    }
    page_.add(row);
    if (def_.rowCount == 0xFFFFFFFFu) throw Error("the table holds as many rows as a table can");
    ++def_.rowCount;
}

void TableFiller::writeDataPage() {
    sink_.writePage(pageNumber_, page_.bytes());
}

void TableFiller::finish() {
    if (pageNumber_ != 0) writeDataPage();
    for (auto& lv : longValues_)
        if (lv) lv->flush();

    // The maps: owned and free pages of the table, then of each long-value column. Pages with room
    // left are the last one of each list.
    UsageMapWriter maps(f_);
    std::vector<Bytes> rows;
    auto lastOf = [](const std::vector<std::uint32_t>& pages) {
        return pages.empty() ? std::vector<std::uint32_t>{} : std::vector<std::uint32_t>{pages.back()};
    };
    rows.push_back(maps.ownedPages(dataPages_, alloc_, sink_));
    rows.push_back(maps.ownedPages(lastOf(dataPages_), alloc_, sink_));
    for (auto& lv : longValues_) {
        if (!lv) continue;
        rows.push_back(maps.ownedPages(lv->pages(), alloc_, sink_));
        rows.push_back(maps.ownedPages(lastOf(lv->pages()), alloc_, sink_));
    }
    std::vector<RowPointer> where;
    DataPageWriter mapPage(f_, 0);
    std::uint32_t mapPageNumber = 0;
    for (const Bytes& r : rows) {
        if (mapPageNumber == 0 || !mapPage.fits(r.size())) {
            if (mapPageNumber != 0) sink_.writePage(mapPageNumber, mapPage.bytes());
            mapPage.clear();
            mapPageNumber = alloc_.allocate();
        }
        unsigned index = mapPage.add(r);
        where.push_back({mapPageNumber, static_cast<std::uint8_t>(index)});
    }
    sink_.writePage(mapPageNumber, mapPage.bytes());

    def_.ownedPages = where[0];
    def_.freePages = where[1];
    std::vector<LongValueMaps> longValueMaps;
    std::size_t k = 2;
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        if (!longValues_[i]) continue;
        longValueMaps.push_back({def_.columns[i].number, where[k], where[k + 1]});
        k += 2;
    }
    Bytes block = encodeTableDef(f_, def_, longValueMaps, engineTable_);
    std::vector<std::uint32_t> pages{def_.page};
    while (pages.size() < tableDefPageCount(f_, block.size()))
        pages.push_back(alloc_.allocate());
    std::vector<Bytes> out = tableDefPages(f_, block, pages);
    for (std::size_t i = 0; i < pages.size(); ++i)
        sink_.writePage(pages[i], out[i]);
}

} // namespace jet
